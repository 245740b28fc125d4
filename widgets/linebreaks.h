#pragma once

#include <QString>

#include <string>

// Text whose line breaks are CR LF (or a lone CR), as a text box shows it: with LF line breaks.
inline QString withLineFeeds(const std::string& text)
{
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}
