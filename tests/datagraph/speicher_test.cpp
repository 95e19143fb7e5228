#include "speicher_test.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define KOLVEX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLVEX_ASAN 1
#endif
#endif
#ifdef KOLVEX_ASAN
// The sanitizer runtime's allocator interface (GCC installs no header for it).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*nach_malloc)(const volatile void*, std::size_t),
                                              void (*vor_free)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void* p);
int __sanitizer_get_ownership(const volatile void* p);
}
#endif

namespace {

// The failure is counted on the thread that asked for it only: Qt's own threads allocate too.
thread_local long fehlerIn = -1;
thread_local bool gekommen = false;

void* Belegen(std::size_t n) {
  if (fehlerIn >= 0 && fehlerIn-- == 0) {
    gekommen = true;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) { return Belegen(n); }
void* operator new[](std::size_t n) { return Belegen(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Belegen(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace Speicher {

void FehlerBei(long n) {
  gekommen = false;
  fehlerIn = n;
}

bool FehlerAus() {
  fehlerIn = -1;
  return gekommen;
}

#ifdef KOLVEX_ASAN
namespace {
std::atomic<int64_t> gehalten{0};
std::atomic<int64_t> hoechst{0};
std::atomic<int64_t> anfang{0};

void Hoechst(int64_t jetzt) {
  int64_t h = hoechst.load(std::memory_order_relaxed);
  while (jetzt > h && !hoechst.compare_exchange_weak(h, jetzt, std::memory_order_relaxed)) {
  }
}
void NachMalloc(const volatile void*, std::size_t n) {
  Hoechst(gehalten.fetch_add(static_cast<int64_t>(n), std::memory_order_relaxed) + static_cast<int64_t>(n));
}
void VorFree(const volatile void* p) {
  const void* q = const_cast<const void*>(p);
  if (q && __sanitizer_get_ownership(q))
    gehalten.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(q)), std::memory_order_relaxed);
}
}  // namespace

bool SpitzeMessbar() { return true; }

void SpitzeAnfangen() {
  static const bool eingerichtet = __sanitizer_install_malloc_and_free_hooks(NachMalloc, VorFree) != 0;
  (void)eingerichtet;
  anfang = gehalten.load();
  hoechst = anfang.load();
}

size_t Spitze() { return static_cast<size_t>(std::max<int64_t>(0, hoechst.load() - anfang.load())); }
#else
bool SpitzeMessbar() { return false; }
void SpitzeAnfangen() {}
size_t Spitze() { return 0; }
#endif

}  // namespace Speicher
