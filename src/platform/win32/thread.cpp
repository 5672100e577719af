#include "platform/thread.h"

#include <windows.h>

#include <utility>

namespace axistune {

struct Thread::Impl {
    HANDLE handle = nullptr;
    DWORD id = 0;
    // Handed to the new thread, which takes it over.
    std::function<void()> body;

    // The body and what it captured are released on the thread itself, before the thread
    // ends: an owner that gave up waiting (and joins much later, or never) must not keep the
    // captured objects, such as an open port, alive.
    static DWORD WINAPI Run(LPVOID parameter) {
        std::function<void()> body = std::move(static_cast<Impl*>(parameter)->body);
        body();
        return 0;
    }
};

Thread::Thread() : impl_(new Impl) {}

Thread::~Thread() {
    if (impl_->handle != nullptr) {
        WaitForSingleObject(impl_->handle, INFINITE);
        CloseHandle(impl_->handle);
    }
}

bool Thread::Start(std::function<void()> body) {
    if (impl_->handle != nullptr || !body) {
        return false;
    }
    impl_->body = std::move(body);
    impl_->handle = CreateThread(nullptr, 0, &Impl::Run, impl_.get(), 0, &impl_->id);
    if (impl_->handle == nullptr) {
        impl_->id = 0;
        impl_->body = nullptr;
        return false;
    }
    return true;
}

bool Thread::Join(uint32_t timeoutMs) {
    if (impl_->handle == nullptr) {
        return true;
    }
    if (WaitForSingleObject(impl_->handle, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    CloseHandle(impl_->handle);
    impl_->handle = nullptr;
    impl_->id = 0;
    impl_->body = nullptr;
    return true;
}

bool Thread::Started() const {
    return impl_->handle != nullptr;
}

uint32_t Thread::Id() const {
    return impl_->id;
}

}  // namespace axistune
