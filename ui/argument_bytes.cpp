#include "ui/argument_bytes.h"

namespace ui {

namespace {

// The length of the UTF-8 character that starts bytes[i], or 0 when none does there.
std::size_t Utf8Length(std::string_view bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0u; };
    const auto follows = [&](std::size_t k) { return (at(k) & 0xC0u) == 0x80u; };
    const unsigned lead = at(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return follows(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const bool second = lead == 0xE0 ? at(1) >= 0xA0 : lead == 0xED ? at(1) < 0xA0 : true;
        return second && follows(1) && follows(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const bool second = lead == 0xF0 ? at(1) >= 0x90 : lead == 0xF4 ? at(1) < 0x90 : true;
        return second && follows(1) && follows(2) && follows(3) ? 4 : 0;
    }
    return 0;
}

}  // namespace

QString ArgumentText(std::string_view bytes) {
    QString text;
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t length = Utf8Length(bytes, i); length > 0) {
            text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
            i += length;
        } else {
            text += QChar(static_cast<char16_t>(0xDC00u + static_cast<unsigned char>(bytes[i++])));
        }
    }
    return text;
}

std::string FileName(const QString& argument) {
    std::string bytes;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument[i];
        if (c.isHighSurrogate() && i + 1 < argument.size() && argument[i + 1].isLowSurrogate()) {
            bytes += argument.mid(i++, 2).toUtf8().toStdString();
        } else if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF) {
            bytes += static_cast<char>(c.unicode() - 0xDC00);
        } else {
            bytes += QString(c).toUtf8().toStdString();
        }
    }
    return bytes;
}

}  // namespace ui
