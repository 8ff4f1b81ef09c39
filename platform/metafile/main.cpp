// vistelle-metafile: reads one metafile from standard input and writes it as SVG to
// standard output. Exit code 0 on success, 1 for data that is not a valid metafile or
// cannot be converted. The program runs it as a separate process with a time limit, so
// a failure here never takes the program down.

#include "pictures/metafilecheck.h"
#include "platform/metafile/emftosvg.h"
#include "platform/metafile/wmftosvg.h"

#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t kMaxInput = 256u * 1024 * 1024;

bool readAll(std::vector<unsigned char>& data)
{
    unsigned char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        if (data.size() + n > kMaxInput) return false;
        data.insert(data.end(), buffer, buffer + n);
    }
    return !std::ferror(stdin);
}

} // namespace

int main()
{
    using namespace vistelle::metafile;
    std::vector<unsigned char> data;
    if (!readAll(data) || data.empty()) return 1;
    const Info info = check(data.data(), data.size());
    std::string svg;
    if (info.kind == Kind::Wmf) svg = wmfToSvg(data.data(), data.size());
    else if (info.kind == Kind::Emf) svg = emfToSvg(data.data(), data.size());
    if (svg.empty()) return 1;
    return std::fwrite(svg.data(), 1, svg.size(), stdout) == svg.size() && std::fflush(stdout) == 0 ? 0 : 1;
}
