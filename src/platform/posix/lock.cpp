#include "platform/lock.h"

#include <pthread.h>

namespace axistune {

// Recursive, like the critical section that the Windows build uses, so that both builds
// behave alike.
struct Lock::Impl {
    pthread_mutex_t mutex;
};

Lock::Lock() : impl_(new Impl) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&impl_->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

Lock::~Lock() {
    pthread_mutex_destroy(&impl_->mutex);
}

void Lock::Enter() {
    pthread_mutex_lock(&impl_->mutex);
}

void Lock::Leave() {
    pthread_mutex_unlock(&impl_->mutex);
}

}  // namespace axistune
