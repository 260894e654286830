#include "app/DefaultWerte.h"

TDefaultWerte::TDefaultWerte()
    : Font(QStringLiteral("Arial"))
{
    Font.setPointSize(12);
}
