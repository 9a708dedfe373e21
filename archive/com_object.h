#pragma once
// Reference counting for our own objects handed to the 7-Zip module, and a
// small owner for the module's objects.

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "archive/seven_zip_abi.h"

namespace vyrn::archive {

// Implements IUnknown for Interface. The object deletes itself on its last
// Release, so create it with new and hand it to a ComPtr.
template <typename Interface>
class ComObject : public Interface {
 public:
  std::uint32_t VYRN_7Z_CALL AddRef() override { return ++references_; }
  std::uint32_t VYRN_7Z_CALL Release() override {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() = default;

  // QueryInterface for an object that implements exactly the given ids
  // (IUnknown is always among them).
  abi::HResult answer(const abi::Guid& iid, void** object, std::initializer_list<abi::Guid> ids) {
    if (object == nullptr) return abi::kInvalidArgument;
    *object = nullptr;
    bool known = iid == abi::kIidUnknown;
    for (const auto& id : ids) known = known || iid == id;
    if (!known) return abi::kNoInterface;
    *object = static_cast<Interface*>(this);
    AddRef();
    return abi::kOk;
  }

 private:
  std::atomic<std::uint32_t> references_{0};
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes a new reference on object.
  explicit ComPtr(T* object) : object_(object) {
    if (object_ != nullptr) object_->AddRef();
  }
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // For out parameters that hand over a reference already taken.
  void** out() {
    reset();
    return reinterpret_cast<void**>(&object_);
  }
  void reset() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }

 private:
  T* object_ = nullptr;
};

}  // namespace vyrn::archive
