// JSON and HTML text escaping for what players send (names, reasons): JSON strings
// escape quotes, backslashes, every control character and <, >, & (so a name is safe
// even where JSON lands in a page); HTML escapes its five special characters.
#pragma once

#include <string>

std::string JsonString(const std::string& text);  // with the quotes
std::string HtmlText(const std::string& text);
