#pragma once

#include <QImage>

class Canvas;

// The twelve month pictures of the default set, 1024 x 768, one painted
// scene per month (1 = January).
class MonthScenes
{
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    static QImage paint(int month);

private:
    static void january(Canvas &c);
    static void february(Canvas &c);
    static void march(Canvas &c);
    static void april(Canvas &c);
    static void may(Canvas &c);
    static void june(Canvas &c);
    static void july(Canvas &c);
    static void august(Canvas &c);
    static void september(Canvas &c);
    static void october(Canvas &c);
    static void november(Canvas &c);
    static void december(Canvas &c);
};
