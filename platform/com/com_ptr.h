// A counted reference to a COM object: releases what it holds, copies add a reference.
#pragma once

#include <utility>

#include "platform/com/types.h"

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) : p_(other.p_) { AddRef(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes a pointer whose reference the caller already owns (as out parameters deliver them).
  static ComPtr Attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Adds a reference of its own.
  static ComPtr Share(T* p) {
    ComPtr c = Attach(p);
    c.AddRef();
    return c;
  }

  void Reset() {
    if (p_ != nullptr)
      std::exchange(p_, nullptr)->Release();
  }
  // Releases what is held and returns the slot for an out parameter to fill.
  T** Out() {
    Reset();
    return &p_;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  void AddRef() {
    if (p_ != nullptr)
      p_->AddRef();
  }
  T* p_ = nullptr;
};
