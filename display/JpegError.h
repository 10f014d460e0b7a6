#pragma once
// libjpeg reports errors through error_exit, which must not return (its default
// ends the process). Ours records the message and longjmps back to the caller's
// setjmp; the frames it jumps over must hold no object with a destructor, and
// the caller turns the failure into a C++ error from ordinary code.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct TJpegErrorManager {
  jpeg_error_mgr Pub{};
  std::jmp_buf Jump{};
  char Message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] inline void JpegErrorJumpBack(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
  std::longjmp(err->Jump, 1);
}
