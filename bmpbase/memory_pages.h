// How large buffers meet the operating system's memory pages.
//
// A freshly allocated buffer is backed by memory only as it is first
// touched, one page fault per 4 KiB page. For the buffers of a whole page
// picture (tens of megabytes) those faults are a visible share of a call:
//  - AdviseHugePages asks the system to back the buffer with 2 MiB pages
//    where it can (Linux transparent huge pages), so first touches cost one
//    fault per 2 MiB. Only the part of the buffer made of whole, aligned
//    2 MiB blocks is advised, and only for buffers of at least
//    kHugePageAdviceMinBytes. Where the system has no such advice (Windows,
//    or a kernel without it) the call does nothing; a refused advice is
//    ignored.
//  - TouchPages writes a zero into the first byte of every 4 KiB page, so
//    that the faults are taken there, in plain code, rather than inside a
//    caller's wide vector loops, where each one costs several times more.
// Neither changes who owns the buffer or how it is freed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace BmpBase {

constexpr size_t kHugePageAdviceMinBytes = size_t{4} << 20;

void AdviseHugePages(void* buffer, size_t bytes);

void TouchPages(uint8_t* buffer, size_t bytes);

}  // namespace BmpBase
