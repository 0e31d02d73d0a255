#pragma once
// A picture the compositor reads from memory we share with it.

#include <QImage>
#include <QSize>
#include <cstddef>

struct wl_buffer;
struct wl_shm;

namespace qm {

class ShmBuffer {
 public:
  // Null (Valid() false) when the memory could not be had.
  ShmBuffer(wl_shm* shm, const QSize& pixels);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  bool Valid() const { return buffer_ != nullptr; }
  // While the compositor reads it, it is not drawn into.
  bool Busy() const { return busy_; }
  void SetBusy() { busy_ = true; }
  QSize Size() const { return size_; }
  wl_buffer* Buffer() const { return buffer_; }
  // The memory as an image (premultiplied ARGB, as the compositor reads it).
  QImage& Image() { return image_; }

 private:
  wl_buffer* buffer_ = nullptr;
  void* data_ = nullptr;
  std::size_t bytes_ = 0;
  QSize size_;
  QImage image_;
  bool busy_ = false;
};

}  // namespace qm
