#include "driver/messages.h"

#include <cstdio>

#include "runtime/escape.h"
#include "runtime/value_texts.h"
#include "runtime/text_file.h"

namespace routelet {
namespace {

using platform::FormattedText;
using platform::TranslatedText;

std::string Count(std::size_t count) { return std::to_string(count); }

}  // namespace

std::string LinesReadText(std::int64_t lines) {
  return FormattedText("GPSデータ解析中：%s行目", {std::to_string(lines)});
}

std::string RenderingRecordText(std::size_t index, std::size_t total) {
  return FormattedText("ルートデータ出力中：%s/%s", {Count(index), Count(total)});
}

std::string ReadingPhotoText(std::string_view name) { return FormattedText("画像データExif情報解析中：%s", {name}); }

std::string ReadingLogText(std::size_t index, std::size_t count, std::string_view logPath) {
  return FormattedText("GPSログ解析中：%s/%s %s", {Count(index), Count(count), logPath});
}

std::string NotFoundMessage(std::string_view name) { return FormattedText("%sが見つかりません", {name}); }

std::string LogNotFoundAfterOptionsMessage(std::string_view path) {
  return FormattedText("%sが見つかりません。オプションはログより前に書いてください（例：routelet --photos=card day2.nmea）", {path});
}

std::string LoadFailureMessage(const FileError& error, std::string_view shownName, std::string_view path) {
  if (error.Kind == FileError::Problem::kNotFound) return NotFoundMessage(shownName);
  if (error.Kind == FileError::Problem::kNotAFile) return CannotOpenMessage(path, TranslatedText("ファイルではありません"));
  if (error.Kind == FileError::Problem::kNoWriter) {
    return CannotOpenMessage(path, FormattedText("FIFOに書きこむものが%s秒待っても現れません", {std::to_string(kFifoWriterWait.count())}));
  }
  return CannotOpenMessage(path, error.Reason);
}

std::string CannotOpenMessage(std::string_view path, std::string_view reason) {
  return FormattedText("%sを開けません（%s）", {path, reason});
}

std::string CannotReadMessage(std::string_view name) { return FormattedText("%sが正しく読みこめません", {name}); }

std::string OutOfMemoryMessage() { return TranslatedText("メモリが足りないため、変換をやめました"); }

std::string CannotWriteOutputMessage(std::string_view reason) {
  return FormattedText("routelet: 標準出力に書きこめません（%s）", {reason});
}

std::string ExtensionNotAWordMessage(std::string_view templateName, std::string_view text) {
  return FormattedText("%sの*extensionには英字と数字だけの1語を書いてください：「%s」", {templateName, text});
}

std::string PagePathText(std::string_view pagePath) {
  return pagePath == kStandardOutputPath ? TranslatedText("標準出力") : std::string(pagePath);
}

std::string WriteFailureMessage(const WriteError& error, std::string_view pagePath) {
  if (error.Kind == WriteError::Problem::kWouldReplaceLog) {
    return FormattedText("%sはページと同じ名前になるため、ログを上書きしないよう変換をやめました", {pagePath});
  }
  if (error.Kind == WriteError::Problem::kWouldReplaceInput) {
    return FormattedText("%sはこの変換で読んだ%sと同じファイルのため、上書きしませんでした", {pagePath, error.Input});
  }
  if (error.Kind == WriteError::Problem::kNotAFile) {
    return FormattedText("%sは普通のファイルではないため、書きこみませんでした", {pagePath});
  }
  if (error.Kind == WriteError::Problem::kNoReader) {
    return FormattedText("%sを読むプログラムがないため、書きこみませんでした", {pagePath});
  }
  if (error.Kind == WriteError::Problem::kWriteProtected) {
    return FormattedText("%sは書きこみが許可されていないため、上書きしませんでした", {pagePath});
  }
  return FormattedText("%sに書きこめません（%s）", {pagePath, error.Reason});
}

namespace {

// Why photos found were not listed: "（記録の時間外2枚、撮影時刻なし1枚）", or nothing.
std::string LeftOutText(const PhotoFindings& photos) {
  const std::string outside = Count(photos.OutsideTrack), untimed = Count(photos.NoCaptureTime);
  if (photos.OutsideTrack > 0 && photos.NoCaptureTime > 0) {
    return FormattedText("（記録の時間外%s枚、撮影時刻なし%s枚）", {outside, untimed});
  }
  if (photos.OutsideTrack > 0) return FormattedText("（記録の時間外%s枚）", {outside});
  if (photos.NoCaptureTime > 0) return FormattedText("（撮影時刻なし%s枚）", {untimed});
  return {};
}

}  // namespace

std::string SummaryText(std::string_view pagePath, std::size_t points, double totalKm, const PhotoFindings& photos) {
  char distance[32];
  std::snprintf(distance, sizeof distance, "%.2f", totalKm);
  std::string text = FormattedText("%sを書き出しました：%s地点、%s km、写真%s/%s枚",
                                   {pagePath, Count(points), distance, Count(photos.Listed.size()), Count(photos.Found)});
  text += LeftOutText(photos);
  if (photos.FoldersNotRead > 0) {
    text += FormattedText("。開けなかったフォルダが%s個あり、その中の写真は探していません", {Count(photos.FoldersNotRead)});
  }
  if (photos.Listed.empty() && photos.OutsideTrack > 0) {
    text += TranslatedText(
        "。記録の時間内に撮られた写真はありません。カメラの時計が日本時間でなければ、"
        "--camera-zone でその時間帯を指定してください（例：--camera-zone=+02:00）");
  }
  return text;
}

std::string GeotagLine(const Photo& photo, const TagWriteOutcome& outcome, bool dryRun) {
  const std::string_view name = photo.Name;
  switch (outcome.Result) {
    case TagWriteResult::kWritten: {
      if (!dryRun) return FormattedText("%s：位置を書き込みました", {name});
      const GeoPosition& at = *photo.TrackPosition;
      const std::string lat = ShortestText(at.Lat), lng = ShortestText(at.Lng);
      if (!at.Alt) return FormattedText("%s：緯度%s、経度%sを書き込みます", {name, lat, lng});
      return FormattedText("%s：緯度%s、経度%s、標高%s mを書き込みます", {name, lat, lng, NumberText(*at.Alt, 2)});
    }
    case TagWriteResult::kChanged: return FormattedText("%s：読み込んだ後に変更されたため、書き込みませんでした", {name});
    case TagWriteResult::kReadOnly: return FormattedText("%s：書き込みが許されていないため、書き込みませんでした", {name});
    case TagWriteResult::kNotSupported: return FormattedText("%s：この形式の写真には書き込めません", {name});
    case TagWriteResult::kFailed: break;
  }
  const std::string why = outcome.Error != 0 ? platform::ErrorText(outcome.Error) : outcome.Detail;
  return FormattedText("%s：書き込めませんでした（%s）。写真は元のままです", {name, why});
}

std::string GeotagSummaryText(const GeotagSummary& summary, bool dryRun) {
  std::string text = FormattedText(dryRun ? "位置を書き込む写真（試しのため書き込んでいません）：%s枚" : "位置を書き込んだ写真：%s枚",
                                   {Count(summary.Tagged)});
  std::string reasons;
  const auto add = [&](std::size_t count, const char* why) {
    if (count == 0) return;
    if (!reasons.empty()) reasons += TranslatedText("、");
    reasons += FormattedText(why, {Count(count)});
  };
  add(summary.OwnGps, "写真自身の位置あり%s枚");
  add(summary.NoPosition, "位置が分からない%s枚");
  add(summary.Changed, "読み込み後に変更%s枚");
  add(summary.ReadOnly, "書き込み不可%s枚");
  add(summary.NotSupported, "形式が未対応%s枚");
  add(summary.Failed, "失敗%s枚");
  if (!reasons.empty()) text += FormattedText("。書き込まなかった写真：%s", {reasons});
  return text;
}

std::string GeotagNotAvailableMessage(std::string_view loadError) {
  if (!loadError.empty()) return FormattedText("--geotag に要るモジュールを読み込めません：%s", {loadError});
  return TranslatedText("--geotag はこのシステムではまだ使えません（Linux のみ）");
}

std::string SingleFileNotAvailableMessage(std::string_view loadError) {
  if (!loadError.empty()) return FormattedText("--single-file に要るモジュールを読み込めません：%s", {loadError});
  return TranslatedText("--single-file はこのシステムではまだ使えません（Linux のみ）");
}

std::string HeifNotReadMessage(std::string_view loadError) {
  return FormattedText("HEIF 写真を読むモジュールを読み込めないため、HEIF 写真は読めないものとして数えました：%s", {loadError});
}

std::string OverlappingLogsNote(const std::vector<std::string>& logPaths) {
  std::string paths;
  for (std::size_t k = 0; k < logPaths.size(); ++k) paths += (k > 0 ? TranslatedText("、") : "") + logPaths[k];
  return FormattedText("。記録の時間が重なるログがあります（それぞれ別の区間にしました）：%s", {paths});
}

std::string FilesNotLogsNote(std::size_t count) {
  return FormattedText("。フォルダの中のGPSログでないファイル%s個は使っていません", {Count(count)});
}

std::string NoTrackMessage(std::string_view logPath) {
  return FormattedText("%sにはNMEAの文もGPX/TCX/KMLの地点もありません", {logPath});
}

std::string XmlBrokenMessage(std::string_view logPath, std::uint64_t line, std::size_t points) {
  return FormattedText("%sは%s行目からXMLとして読めません（途中で切れているか壊れています）。そこまでの%s地点で変換します",
                       {logPath, std::to_string(line), Count(points)});
}

std::string CompressionBrokenMessage(std::string_view logPath, std::size_t points) {
  if (points == 0) return FormattedText("%sは圧縮されたデータが途中で切れているか壊れています", {logPath});
  return FormattedText("%sは圧縮されたデータが途中で切れているか壊れています。そこまでの%s地点で変換します", {logPath, Count(points)});
}

std::string XmlEntitiesMessage(std::string_view logPath) {
  return FormattedText("%sはXMLの実体（<!ENTITY）を宣言しているため、読むのをやめました", {logPath});
}

std::string XmlNotSupportedMessage(std::string_view logPath) {
  return FormattedText("%sはXMLのファイルです。GPX/TCX/KMLはこのシステムではまだ読めません", {logPath});
}

std::string UnusableOptionMessage(std::string_view given) {
  return FormattedText("routelet: オプションの値が正しくありません：%s（routelet --help で使い方を表示します）\n", {TerminalEscape(given)});
}

}  // namespace routelet
