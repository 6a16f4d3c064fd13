#pragma once
// An owned block of 16-bit samples that may be absent ("null"): a channel
// whose samples live in the document's raw file has no block.

#include <cstdint>
#include <cstring>
#include <memory>

namespace vox {

template <class T>
class Block {
public:
    Block() = default;
    Block(const Block& o) { *this = o; }
    Block& operator=(const Block& o) {
        if (this == &o) return *this;
        if (!o.valid()) {
            reset();
        } else {
            allocate(o.size_);
            if (o.size_) std::memcpy(data_.get(), o.data_.get(), o.size_ * sizeof(T));
        }
        return *this;
    }
    Block(Block&&) noexcept = default;
    Block& operator=(Block&&) noexcept = default;

    // Allocates n zeroed elements (std::bad_alloc on failure; the old block
    // stays when allocation fails).
    void allocate(std::size_t n) {
        auto fresh = std::make_unique<T[]>(n ? n : 1);
        data_ = std::move(fresh);
        size_ = n;
        valid_ = true;
    }
    // Copies the first n elements of src into a new block of n elements.
    void assign(const T* src, std::size_t n) {
        allocate(n);
        if (n) std::memcpy(data_.get(), src, n * sizeof(T));
    }
    // Grows or shrinks keeping the leading elements; new ones are zero.
    void resize(std::size_t n) {
        auto fresh = std::make_unique<T[]>(n ? n : 1);
        if (valid_ && size_) std::memcpy(fresh.get(), data_.get(), (n < size_ ? n : size_) * sizeof(T));
        data_ = std::move(fresh);
        size_ = n;
        valid_ = true;
    }
    void reset() {
        data_.reset();
        size_ = 0;
        valid_ = false;
    }

    bool valid() const { return valid_; }
    explicit operator bool() const { return valid_; }
    std::size_t size() const { return size_; }
    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }

private:
    std::unique_ptr<T[]> data_;
    std::size_t size_ = 0;
    bool valid_ = false;
};

using SampleBlock = Block<std::int16_t>;
using RealBlock = Block<double>;

}  // namespace vox
