#include "driver/messages.h"

namespace routelet {

std::string LinesReadText(std::int64_t lines) {
  return std::string(kAnalysingText) + "：" + std::to_string(lines) + "行目";
}

std::string RenderingRecordText(std::size_t index, std::size_t total) {
  return "ルートデータ出力中：" + std::to_string(index) + "/" + std::to_string(total);
}

std::string ReadingPhotoText(std::string_view name) { return "画像データExif情報解析中：" + std::string(name); }

std::string NotFoundMessage(std::string_view name) { return std::string(name) + "が見つかりません"; }

std::string LoadFailureMessage(const FileError& error, std::string_view shownName, std::string_view path) {
  if (error.Kind == FileError::Problem::kNotFound) return NotFoundMessage(shownName);
  return CannotOpenMessage(path, error.Reason);
}

std::string CannotOpenMessage(std::string_view path, std::string_view reason) {
  return std::string(path) + "を開けません（" + std::string(reason) + "）";
}

std::string CannotReadMessage(std::string_view name) { return std::string(name) + "が正しく読みこめません"; }

std::string WriteFailureMessage(const WriteError& error, std::string_view pagePath) {
  if (error.Kind == WriteError::Problem::kWouldReplaceLog) {
    return std::string(pagePath) + "はページと同じ名前になるため、ログを上書きしないよう変換をやめました";
  }
  return std::string(pagePath) + "に書きこめません（" + error.Reason + "）";
}

}  // namespace routelet
