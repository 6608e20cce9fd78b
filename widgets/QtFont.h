// The face of the program's windows, at the size each window asks for.
#pragma once

#include <QFont>

// Tahoma where installed; the nearest sans-serif faces otherwise.
inline QFont SansWindowFont(int pixelSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    return f;
}
