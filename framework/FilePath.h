#pragma once

// Paths as CString that keep every byte of the file name (see platform/FileNameBytes.h):
// made from bytes where a path enters (command line, folder listing), turned back into
// the same bytes where a file is opened or looked up, and shown with U+FFFD for the
// bytes that are not text.

#include "framework/Geometry.h"
#include "platform/FileNameBytes.h"

#include <QByteArray>

inline CString PathFromBytes(std::string_view bytes)
{
    const std::u16string text = FileNameText(bytes);
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

inline QByteArray PathBytes(const CString &path)
{
    const std::string bytes =
        FileNameBytes(std::u16string_view(QStringView(path).utf16(), std::size_t(path.size())));
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

inline CString PathForDisplay(const CString &path)
{
    const std::u16string shown =
        FileNameShown(std::u16string_view(QStringView(path).utf16(), std::size_t(path.size())));
    return QString::fromUtf16(shown.data(), qsizetype(shown.size()));
}
