#pragma once
// Tells ThreadSanitizer about a hand-off between threads that happens inside a library it
// cannot see into. Qt passes a posted event to the receiving thread under its own locks, but
// the Qt that the system ships is not built with ThreadSanitizer, so without these calls every
// posted event (allocated and filled on a worker thread, read on the user-interface thread)
// shows up as a data race. The posting side calls AnnounceHandOff(event) before handing the
// object over, the receiving side AcceptHandOff(event) before reading it; everything the poster
// did before is then ordered before what the receiver does after, as Qt really guarantees.
// In other builds both do nothing.

#if defined(__SANITIZE_THREAD__)
#define SP_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SP_THREAD_SANITIZER 1
#endif
#endif

#ifdef SP_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
inline void AnnounceHandOff(const void* object) { __tsan_release(const_cast<void*>(object)); }
inline void AcceptHandOff(const void* object) { __tsan_acquire(const_cast<void*>(object)); }
#else
inline void AnnounceHandOff(const void*) {}
inline void AcceptHandOff(const void*) {}
#endif
