// Pictures of windows and charts as PNG files, written through TSafeSave like
// every other file of the program.
#pragma once

#include <string>

class QImage;

// The image as PNG at path (the system's bytes); false with the reason in
// error when it could not be encoded or written.
bool SavePicture(const QImage& image, const std::string& path, std::string* error = nullptr);
