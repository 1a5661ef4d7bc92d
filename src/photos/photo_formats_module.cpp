#include "photos/photo_formats.h"

#include "runtime/program_module.h"

namespace routelet {
namespace {

ProgramModule& Module() {
  static ProgramModule module("routelet-photo-formats.so", "routelet_photo_formats");
  return module;
}

}  // namespace

const PhotoFormats* LoadedPhotoFormats() {
  static const PhotoFormats* const formats = [] {
    auto* entry = reinterpret_cast<decltype(&routelet_photo_formats)>(Module().Entry());
    return entry == nullptr ? nullptr : entry();
  }();
  return formats;
}

std::string PhotoFormatsLoadError() { return Module().Error(); }

void SetPhotoFormatsFolder(std::string folder) { Module().SetFolder(std::move(folder)); }

}  // namespace routelet
