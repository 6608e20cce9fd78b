// The palette's colours as Qt takes them: a QColor, a style sheet value, a
// widget's filled background.
#pragma once

#include <cstdint>

#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>

#include "models/Palette.h"

inline QColor ColorFromRGB(uint32_t color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// "#a6caf0" for style sheets.
inline QString StyleColor(uint32_t color) { return ColorFromRGB(color).name(); }

inline void FillBackground(QWidget* widget, uint32_t color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, ColorFromRGB(color));
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}
