// The face of the program's windows: the one font helper every window uses.
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

// The main window's and the application's default font, 13 px.
inline QFont WindowFont() { return SansWindowFont(13); }

// The smaller face of the dialogs (lottery manager, wizard, draws editor,
// odds calculator), 11 px.
inline QFont DialogFont() { return SansWindowFont(11); }
