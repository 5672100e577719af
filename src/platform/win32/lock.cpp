#include "platform/lock.h"

#include <windows.h>

namespace axistune {

struct Lock::Impl {
    CRITICAL_SECTION section;
};

Lock::Lock() : impl_(new Impl) {
    InitializeCriticalSection(&impl_->section);
}

Lock::~Lock() {
    DeleteCriticalSection(&impl_->section);
}

void Lock::Enter() {
    EnterCriticalSection(&impl_->section);
}

void Lock::Leave() {
    LeaveCriticalSection(&impl_->section);
}

}  // namespace axistune
