// Window texts travel as UTF-16; the driver's callers work with UTF-8.
#pragma once

#include <string>

namespace e2e {

std::string ToUtf8(const std::wstring& text);
std::wstring ToWide(const std::string& text);

// A Linux path as Wine sees it (drive Z: is the Linux root); other paths pass unchanged.
std::wstring WindowsPath(const std::string& path);

// The environment variable's value, or an empty text.
std::string EnvText(const char* name);

}  // namespace e2e
