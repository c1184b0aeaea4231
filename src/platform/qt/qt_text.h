#pragma once
// Texts between the program's bytes and Qt's strings, without losing bytes.
//
// File names on Linux are bytes and need not be UTF-8. A byte that is not
// part of well-formed UTF-8 is shown as the character it stands for in
// Latin-1 (Windows-1252 for 0x80..0x9F), the likeliest meaning of such a
// name, so "Fotos-été" in ISO-8859-1 reads as it should. What the user did
// not touch in an edited text keeps its bytes; only what was typed is new.
#include <QString>
#include <string>
#include <string_view>

namespace kestrova {

QString ToQString(std::string_view text);
// The UTF-8 of a text that did not come from the program.
std::string FromQString(const QString& text);
// The bytes of `edited`, a text the user changed from the shown form of
// `before`: the unchanged start and end keep the bytes of `before`.
std::string FromEditedQString(const QString& edited, const std::string& before);
// A path a Qt file dialog gave back. Qt reads names that are not UTF-8 with
// U+FFFD in them; each such name is found again among its folder's entries,
// so the path leads to the folder the user picked.
std::string PathFromQtDialog(const QString& path);
// Texts written for the other platform break lines with CR LF or a lone CR.
QString WithLineBreaks(const std::string& text);

}  // namespace kestrova
