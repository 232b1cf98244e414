// PixelMask: a packed vector of height x width flags in row-major order
// (flag index = row x width + column); true means ink (foreground).
//
// Every binarization method first resets its output to all-false flags of
// the picture's size and then sets flags. The mask does not know its own
// height and width; callers carry them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Skewmend {

class PixelMask {
  public:
    PixelMask() = default;
    explicit PixelMask(size_t count) { Reset(count); }

    // `count` false flags.
    void Reset(size_t count) {
        size_ = count;
        words_.assign((count + 63) / 64, 0);
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    bool operator[](size_t i) const { return (words_[i >> 6] >> (i & 63)) & 1u; }
    bool Get(size_t i) const { return (*this)[i]; }
    void Set(size_t i) { words_[i >> 6] |= uint64_t{1} << (i & 63); }
    void Clear(size_t i) { words_[i >> 6] &= ~(uint64_t{1} << (i & 63)); }
    void Assign(size_t i, bool value) {
        if (value) {
            Set(i);
        } else {
            Clear(i);
        }
    }

    // Number of true flags.
    size_t Count() const {
        size_t n = 0;
        for (uint64_t w : words_) {
            n += static_cast<size_t>(__builtin_popcountll(w));
        }
        return n;
    }

    // Calls fn(index) for every true flag with begin <= index < end, in
    // increasing order, a word at a time (false flags cost next to nothing).
    template <typename Fn>
    void ForEachSet(size_t begin, size_t end, Fn fn) const {
        if (end > size_) {
            end = size_;
        }
        if (begin >= end) {
            return;
        }
        const size_t firstWord = begin >> 6;
        const size_t lastWord = (end - 1) >> 6;
        for (size_t w = firstWord; w <= lastWord; ++w) {
            uint64_t bits = words_[w];
            if (w == firstWord) {
                bits &= ~uint64_t{0} << (begin & 63);
            }
            if (w == lastWord && (end & 63) != 0) {
                bits &= (uint64_t{1} << (end & 63)) - 1;
            }
            while (bits != 0) {
                fn(w * 64 + static_cast<size_t>(__builtin_ctzll(bits)));
                bits &= bits - 1;
            }
        }
    }

    // Turns every flag over.
    void InvertAll() {
        for (uint64_t& w : words_) {
            w = ~w;
        }
        ClearTail();
    }

    bool operator==(const PixelMask& other) const {
        return size_ == other.size_ && words_ == other.words_;
    }
    bool operator!=(const PixelMask& other) const { return !(*this == other); }

    // The packed flags, 64 per word, flag i in bit (i mod 64) of word i / 64.
    // Bits past size() are always zero.
    const std::vector<uint64_t>& Words() const { return words_; }
    std::vector<uint64_t>& Words() { return words_; }

  private:
    void ClearTail() {
        const size_t used = size_ & 63;
        if (used != 0 && !words_.empty()) {
            words_.back() &= (uint64_t{1} << used) - 1;
        }
    }

    std::vector<uint64_t> words_;
    size_t size_ = 0;
};

}  // namespace Skewmend
