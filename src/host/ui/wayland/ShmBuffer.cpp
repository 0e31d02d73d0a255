#include "host/ui/wayland/ShmBuffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace qm {

ShmBuffer::ShmBuffer(wl_shm* shm, const QSize& pixels) : size_(pixels) {
  if (!shm || pixels.isEmpty() || pixels.width() > 16384 || pixels.height() > 16384) return;
  const int stride = pixels.width() * 4;
  bytes_ = std::size_t(stride) * std::size_t(pixels.height());
  const int fd = memfd_create("quillmark-stamp", MFD_CLOEXEC);
  if (fd < 0) return;
  if (ftruncate(fd, off_t(bytes_)) != 0) {
    close(fd);
    return;
  }
  data_ = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (data_ == MAP_FAILED) {
    data_ = nullptr;
    close(fd);
    return;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(bytes_));
  buffer_ = wl_shm_pool_create_buffer(pool, 0, pixels.width(), pixels.height(), stride,
                                      WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  static const wl_buffer_listener kListener = {
      .release = [](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy_ = false; },
  };
  wl_buffer_add_listener(buffer_, &kListener, this);
  // Little-endian ARGB8888 is Qt's premultiplied 32-bit layout, byte for byte.
  image_ = QImage(static_cast<uchar*>(data_), pixels.width(), pixels.height(), stride,
                  QImage::Format_ARGB32_Premultiplied);
}

ShmBuffer::~ShmBuffer() {
  image_ = QImage();
  if (buffer_) wl_buffer_destroy(buffer_);
  if (data_) munmap(data_, bytes_);
}

}  // namespace qm
