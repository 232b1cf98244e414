// Two-dimensional planes in row-pointer layout.
//
// A Plane<T> holds `height` rows of `width` elements; rows[r][c] is row r,
// column c, in the orientation of the bitmap it came from. GreyImage is the
// 8-bit plane the analysis stages work on; the same layout with uint32,
// uint64 or double elements serves label images, summed-area tables and
// working arrays. The rows are views into one block owned by the plane.
//
// Free() releases the storage and nulls `rows` but keeps the sizes, so a
// freed plane still reports the size it had; Resize() always reallocates and
// zero-fills.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace BmpBase {

template <typename T>
class Plane {
  public:
    T** rows = nullptr;
    uint32_t height = 0;
    uint32_t width = 0;

    Plane() = default;

    // A height x width plane with every element set to `value`.
    Plane(uint32_t rowCount, uint32_t colCount, T value = T()) {
        Allocate(rowCount, colCount);
        Fill(value);
    }

    Plane(const Plane& other) {
        if (other.rows != nullptr) {
            Allocate(other.height, other.width);
            std::memcpy(data_, other.data_, ElementCount() * sizeof(T));
        } else {
            height = other.height;
            width = other.width;
        }
    }

    Plane& operator=(const Plane& other) {
        if (this != &other) {
            Plane copy(other);
            Swap(copy);
        }
        return *this;
    }

    Plane(Plane&& other) noexcept { Swap(other); }

    Plane& operator=(Plane&& other) noexcept {
        if (this != &other) {
            Free();
            Swap(other);
        }
        return *this;
    }

    ~Plane() { Free(); }

    // Frees any storage, takes the new size and zero-fills every element.
    void Resize(uint32_t rowCount, uint32_t colCount) {
        Free();
        Allocate(rowCount, colCount);
        Fill(T());
    }

    // Releases the storage; the sizes are kept.
    void Free() {
        delete[] rows;
        delete[] data_;
        rows = nullptr;
        data_ = nullptr;
    }

    void Fill(T value) {
        // Through a local pointer: stores of bytes could otherwise alias the
        // member itself, which keeps the compiler from filling in bulk.
        T* const data = data_;
        std::fill(data, data + ElementCount(), value);
    }

    // The elements as one row-major block (null when nothing is allocated).
    T* Data() { return data_; }
    const T* Data() const { return data_; }

    size_t ElementCount() const {
        return rows == nullptr ? 0 : static_cast<size_t>(height) * width;
    }

    void Swap(Plane& other) noexcept {
        std::swap(rows, other.rows);
        std::swap(height, other.height);
        std::swap(width, other.width);
        std::swap(data_, other.data_);
    }

  private:
    void Allocate(uint32_t rowCount, uint32_t colCount) {
        height = rowCount;
        width = colCount;
        const size_t n = static_cast<size_t>(rowCount) * colCount;
        data_ = new T[n > 0 ? n : 1];
        rows = new T*[rowCount > 0 ? rowCount : 1];
        for (uint32_t r = 0; r < rowCount; ++r) {
            rows[r] = data_ + static_cast<size_t>(r) * colCount;
        }
    }

    T* data_ = nullptr;
};

using GreyImage = Plane<uint8_t>;
using Plane32 = Plane<uint32_t>;
using Plane64 = Plane<uint64_t>;
using PlaneD = Plane<double>;

}  // namespace BmpBase
