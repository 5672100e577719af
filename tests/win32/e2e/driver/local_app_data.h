#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Points %LOCALAPPDATA% of the programs a test starts at `folder`, so that their per-user files
// land in the test's own folder; the tests after it get the prefix's own back.
class LocalAppData {
  public:
    explicit LocalAppData(const std::wstring& folder) {
        wchar_t old[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", old, MAX_PATH);
        had_ = length > 0 && length < MAX_PATH;
        old_ = old;
        set_ = SetEnvironmentVariableW(L"LOCALAPPDATA", folder.c_str()) != FALSE;
    }
    ~LocalAppData() { SetEnvironmentVariableW(L"LOCALAPPDATA", had_ ? old_.c_str() : nullptr); }
    LocalAppData(const LocalAppData&) = delete;
    LocalAppData& operator=(const LocalAppData&) = delete;
    bool Set() const { return set_; }

  private:
    bool had_ = false, set_ = false;
    std::wstring old_;
};

}  // namespace e2e
