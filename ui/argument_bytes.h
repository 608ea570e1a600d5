#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ui {

/// A command-line argument, which is bytes, as text (a file name in a figure's path likewise). Qt's own decoding turns a byte that is not
/// UTF-8 into U+FFFD and loses the name; here such a byte b becomes the lone surrogate
/// U+DC00 + b, which no UTF-8 text decodes to, so that FileName gives the bytes back.
QString ArgumentText(std::string_view bytes);

/// The bytes of a file name given as an argument read by ArgumentText.
std::string FileName(const QString& argument);

}  // namespace ui
