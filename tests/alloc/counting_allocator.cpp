#include "counting_allocator.h"

#include <cstdlib>
#include <new>

#include "sim/game.h"

namespace ruckvale::testing_support {

AllocationControl& Allocations() {
  static AllocationControl control;
  return control;
}

}  // namespace ruckvale::testing_support

namespace {

void* Allocate(std::size_t size) {
  using ruckvale::testing_support::Allocations;
  if (ruckvale::sim::GameScope::ModuleRunning()) {
    auto& a = Allocations();
    ++a.module_allocations;
    if (a.fail_all || a.module_allocations == a.fail_at) {
      a.failed = true;
      throw std::bad_alloc();
    }
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
