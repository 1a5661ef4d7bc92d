#include "driver/messages.h"

#include <cstdio>

#include "runtime/escape.h"
#include "runtime/value_texts.h"
#include "runtime/text_file.h"

namespace routelet {

std::string LinesReadText(std::int64_t lines) {
  return std::string(kAnalysingText) + "：" + std::to_string(lines) + "行目";
}

std::string RenderingRecordText(std::size_t index, std::size_t total) {
  return "ルートデータ出力中：" + std::to_string(index) + "/" + std::to_string(total);
}

std::string ReadingPhotoText(std::string_view name) { return "画像データExif情報解析中：" + std::string(name); }

std::string ReadingLogText(std::size_t index, std::size_t count, std::string_view logPath) {
  return "GPSログ解析中：" + std::to_string(index) + "/" + std::to_string(count) + " " + std::string(logPath);
}

std::string NotFoundMessage(std::string_view name) { return std::string(name) + "が見つかりません"; }

std::string LoadFailureMessage(const FileError& error, std::string_view shownName, std::string_view path) {
  if (error.Kind == FileError::Problem::kNotFound) return NotFoundMessage(shownName);
  if (error.Kind == FileError::Problem::kNotAFile) return CannotOpenMessage(path, "ファイルではありません");
  if (error.Kind == FileError::Problem::kNoWriter) {
    return CannotOpenMessage(path, "FIFOに書きこむものが" + std::to_string(kFifoWriterWait.count()) + "秒待っても現れません");
  }
  return CannotOpenMessage(path, error.Reason);
}

std::string CannotOpenMessage(std::string_view path, std::string_view reason) {
  return std::string(path) + "を開けません（" + std::string(reason) + "）";
}

std::string CannotReadMessage(std::string_view name) { return std::string(name) + "が正しく読みこめません"; }

std::string OutOfMemoryMessage() { return "メモリが足りないため、変換をやめました"; }

std::string CannotWriteOutputMessage(std::string_view reason) {
  return "routelet: 標準出力に書きこめません（" + std::string(reason) + "）";
}

std::string ExtensionNotAWordMessage(std::string_view templateName, std::string_view text) {
  return std::string(templateName) + "の*extensionには英字と数字だけの1語を書いてください：「" + std::string(text) + "」";
}

std::string PagePathText(std::string_view pagePath) {
  return pagePath == kStandardOutputPath ? "標準出力" : std::string(pagePath);
}

std::string WriteFailureMessage(const WriteError& error, std::string_view pagePath) {
  if (error.Kind == WriteError::Problem::kWouldReplaceLog) {
    return std::string(pagePath) + "はページと同じ名前になるため、ログを上書きしないよう変換をやめました";
  }
  if (error.Kind == WriteError::Problem::kWouldReplaceInput) {
    return std::string(pagePath) + "はこの変換で読んだ" + error.Input + "と同じファイルのため、上書きしませんでした";
  }
  if (error.Kind == WriteError::Problem::kNotAFile) {
    return std::string(pagePath) + "は普通のファイルではないため、書きこみませんでした";
  }
  if (error.Kind == WriteError::Problem::kNoReader) {
    return std::string(pagePath) + "を読むプログラムがないため、書きこみませんでした";
  }
  if (error.Kind == WriteError::Problem::kWriteProtected) {
    return std::string(pagePath) + "は書きこみが許可されていないため、上書きしませんでした";
  }
  return std::string(pagePath) + "に書きこめません（" + error.Reason + "）";
}

std::string SummaryText(std::string_view pagePath, std::size_t points, double totalKm, const PhotoFindings& photos) {
  char distance[32];
  std::snprintf(distance, sizeof distance, "%.2f", totalKm);
  std::string text = std::string(pagePath) + "を書き出しました：" + std::to_string(points) + "地点、" + distance +
                     " km、写真" + std::to_string(photos.Listed.size()) + "/" + std::to_string(photos.Found) + "枚";
  std::string reasons;
  if (photos.OutsideTrack > 0) reasons += "記録の時間外" + std::to_string(photos.OutsideTrack) + "枚";
  if (photos.OutsideTrack > 0 && photos.NoCaptureTime > 0) reasons += "、";
  if (photos.NoCaptureTime > 0) reasons += "撮影時刻なし" + std::to_string(photos.NoCaptureTime) + "枚";
  if (!reasons.empty()) text += "（" + reasons + "）";
  if (photos.FoldersNotRead > 0) {
    text += "。開けなかったフォルダが" + std::to_string(photos.FoldersNotRead) + "個あり、その中の写真は探していません";
  }
  if (photos.Listed.empty() && photos.OutsideTrack > 0) {
    text += "。記録の時間内に撮られた写真はありません。カメラの時計が日本時間でなければ、"
            "--camera-zone でその時間帯を指定してください（例：--camera-zone=+02:00）";
  }
  return text;
}

std::string GeotagLine(const Photo& photo, const TagWriteOutcome& outcome, bool dryRun) {
  const std::string name = photo.Name + "：";
  switch (outcome.Result) {
    case TagWriteResult::kWritten: {
      if (!dryRun) return name + "位置を書き込みました";
      const GeoPosition& at = *photo.TrackPosition;
      std::string text = name + "緯度" + ShortestText(at.Lat) + "、経度" + ShortestText(at.Lng);
      if (at.Alt) text += "、標高" + NumberText(*at.Alt, 2) + " m";
      return text + "を書き込みます";
    }
    case TagWriteResult::kChanged: return name + "読み込んだ後に変更されたため、書き込みませんでした";
    case TagWriteResult::kReadOnly: return name + "書き込みが許されていないため、書き込みませんでした";
    case TagWriteResult::kNotSupported: return name + "この形式の写真には書き込めません";
    case TagWriteResult::kFailed: break;
  }
  const std::string why = outcome.Error != 0 ? platform::ErrorText(outcome.Error) : outcome.Detail;
  return name + "書き込めませんでした（" + why + "）。写真は元のままです";
}

std::string GeotagSummaryText(const GeotagSummary& summary, bool dryRun) {
  std::string text = (dryRun ? "位置を書き込む写真（試しのため書き込んでいません）：" : "位置を書き込んだ写真：") +
                     std::to_string(summary.Tagged) + "枚";
  std::string reasons;
  const auto add = [&](std::size_t count, const char* why) {
    if (count == 0) return;
    if (!reasons.empty()) reasons += "、";
    reasons += why + std::to_string(count) + "枚";
  };
  add(summary.OwnGps, "写真自身の位置あり");
  add(summary.NoPosition, "位置が分からない");
  add(summary.Changed, "読み込み後に変更");
  add(summary.ReadOnly, "書き込み不可");
  add(summary.NotSupported, "形式が未対応");
  add(summary.Failed, "失敗");
  if (!reasons.empty()) text += "。書き込まなかった写真：" + reasons;
  return text;
}

std::string GeotagNotAvailableMessage(std::string_view loadError) {
  if (!loadError.empty()) return "--geotag に要るモジュールを読み込めません：" + std::string(loadError);
  return "--geotag はこのシステムではまだ使えません（Linux のみ）";
}

std::string SingleFileNotAvailableMessage(std::string_view loadError) {
  if (!loadError.empty()) return "--single-file に要るモジュールを読み込めません：" + std::string(loadError);
  return "--single-file はこのシステムではまだ使えません（Linux のみ）";
}

std::string HeifNotReadMessage(std::string_view loadError) {
  return "HEIF 写真を読むモジュールを読み込めないため、HEIF 写真は読めないものとして数えました：" + std::string(loadError);
}

std::string OverlappingLogsNote(const std::vector<std::string>& logPaths) {
  std::string text = "。記録の時間が重なるログがあります（それぞれ別の区間にしました）：";
  for (std::size_t k = 0; k < logPaths.size(); ++k) text += (k > 0 ? "、" : "") + logPaths[k];
  return text;
}

std::string FilesNotLogsNote(std::size_t count) {
  return "。フォルダの中のGPSログでないファイル" + std::to_string(count) + "個は使っていません";
}

std::string NoTrackMessage(std::string_view logPath) {
  return std::string(logPath) + "にはNMEAの文もGPX/TCX/KMLの地点もありません";
}

std::string XmlBrokenMessage(std::string_view logPath, std::uint64_t line, std::size_t points) {
  return std::string(logPath) + "は" + std::to_string(line) + "行目からXMLとして読めません（途中で切れているか壊れています）。そこまでの" +
         std::to_string(points) + "地点で変換します";
}

std::string CompressionBrokenMessage(std::string_view logPath, std::size_t points) {
  std::string text = std::string(logPath) + "は圧縮されたデータが途中で切れているか壊れています";
  if (points > 0) text += "。そこまでの" + std::to_string(points) + "地点で変換します";
  return text;
}

std::string XmlEntitiesMessage(std::string_view logPath) {
  return std::string(logPath) + "はXMLの実体（<!ENTITY）を宣言しているため、読むのをやめました";
}

std::string XmlNotSupportedMessage(std::string_view logPath) {
  return std::string(logPath) + "はXMLのファイルです。GPX/TCX/KMLはこのシステムではまだ読めません";
}

std::string UnusableOptionMessage(std::string_view given) {
  return "routelet: オプションの値が正しくありません：" + TerminalEscape(given) + "（routelet --help で使い方を表示します）\n";
}

}  // namespace routelet
