#pragma once

#include <string>
#include <string_view>

// The program's texts are UTF-8; Windows takes UTF-16.
namespace Wide {

std::wstring fromUtf8(std::string_view text);
std::string toUtf8(std::wstring_view text);

} // namespace Wide
