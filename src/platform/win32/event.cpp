#include "platform/event.h"

#include <windows.h>

namespace axistune {

struct Event::Impl {
    HANDLE handle = nullptr;
};

Event::Event(EventReset reset, bool initiallySet) : impl_(new Impl) {
    impl_->handle =
        CreateEventW(nullptr, reset == EventReset::kManual ? TRUE : FALSE, initiallySet, nullptr);
}

Event::~Event() {
    if (impl_->handle != nullptr) {
        CloseHandle(impl_->handle);
    }
}

bool Event::Valid() const {
    return impl_->handle != nullptr;
}

void Event::Set() {
    if (impl_->handle != nullptr) {
        SetEvent(impl_->handle);
    }
}

void Event::Reset() {
    if (impl_->handle != nullptr) {
        ResetEvent(impl_->handle);
    }
}

bool Event::Wait(uint32_t timeoutMs) {
    if (impl_->handle == nullptr) {
        return false;
    }
    return WaitForSingleObject(impl_->handle, timeoutMs) == WAIT_OBJECT_0;
}

intptr_t Event::NativeHandle() const {
    return reinterpret_cast<intptr_t>(impl_->handle);
}

}  // namespace axistune
