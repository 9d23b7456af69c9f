#include "app/compose/FourUpFilter.h"

QString DoubledFourUpFilter(int firstInput)
{
    return QStringLiteral("[%1:v]pad=iw*2:ih*2[a];[a][%2:v]overlay=w[b];[b][%3:v]overlay=0:h[c];"
                          "[c][%4:v]overlay=w:h")
        .arg(firstInput)
        .arg(firstInput + 1)
        .arg(firstInput + 2)
        .arg(firstInput + 3);
}
