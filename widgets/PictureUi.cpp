#include "widgets/PictureUi.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "platform/SafeSave.h"

bool SavePicture(const QImage& image, const std::string& path, std::string* error)
{
    QByteArray png;
    QBuffer buffer(&png);
    std::string why;
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        why = "Cannot encode the picture as PNG.";
    else if (SafeSaveBytes(path, png.constData(), static_cast<size_t>(png.size()), why))
        return true;
    if (error)
        *error = why;
    return false;
}
