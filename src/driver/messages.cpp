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
  if (error.Kind == FileError::Problem::kNotAFile) return std::string(path) + "を開けません（ファイルではありません）";
  return std::string(path) + "を開けません（" + error.Reason + "）";
}

std::string CannotReadMessage(std::string_view name) { return std::string(name) + "が正しく読みこめません"; }

std::string OutOfMemoryMessage() { return "メモリが足りないため、変換をやめました"; }

std::string CannotWriteOutputMessage(std::string_view reason) {
  return "routelet: 標準出力に書きこめません（" + std::string(reason) + "）";
}

std::string WriteFailureMessage(const WriteError& error, std::string_view pagePath) {
  if (error.Kind == WriteError::Problem::kWouldReplaceLog) {
    return std::string(pagePath) + "はページと同じ名前になるため、ログを上書きしないよう変換をやめました";
  }
  if (error.Kind == WriteError::Problem::kWriteProtected) {
    return std::string(pagePath) + "は書きこみが許可されていないため、上書きしませんでした";
  }
  return std::string(pagePath) + "に書きこめません（" + error.Reason + "）";
}

}  // namespace routelet
