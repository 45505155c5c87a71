#include "datalink/result_messages.h"

#include <mutex>
#include <span>

#include "datalink/data_control.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {

struct Entry {
    int code;
    const char* text;  // UTF-8 here, CP932 when shown
};

// NVOpen and NVRTOpen.
constexpr Entry kOpenTable[] = {
    {0, "正常に実行されました。"},
    {-1, " 取得済みデータより最新のデータがありません。"},
    {-2, "セットアップダイアログでキャンセルが押されました。"},
    {-111, "dataspec パラメータが不正です。"},
    {-112, "fromdate パラメータが不正です。"},
    {-114, "key パラメータが不正です。"},
    {-115, "option パラメータが不正です。"},
    {-116, "dataspec とoption の組み合わせが不正です。"},
    {-201, "NVInit が行なわれていません。"},
    {-202, "前回のNVOpen/NVRTOpen/NVMVOpen に対してNVClose が呼ばれていません。（オープン中）"},
    {-211, "レジストリ内容が不正（レジストリ内容が不正に変更された）です。"},
    {-301, "認証エラーが発生しました。"},
    {-302, "サービスキーの有効期限切れです。"},
    {-303, "サービスキーが設定されていません。（サービスキーが空値）"},
    {-401, "NV-Link 内部エラーが発生しました。"},
    {-411, "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。"},
    {-412, "サーバーエラー（HTTP ステータス403 Forbidden ）が発生しました。"},
    {-413, "サーバーエラー（HTTP ステータス200,403,404 以外）が発生しました。"},
    {-421, "サーバーエラー（サーバーの応答が不正）が発生しました。"},
    {-431, "サーバーエラー（サーバーアプリケーション内部エラー）が発生しました。"},
    {-501, "セットアップ処理においてＣＤ －ＲＯＭ が無効です。"},
    {-504, "サーバーがメンテナンス中です。"},
};

// NVRead and NVGets; a positive code is the size of the data read.
constexpr Entry kReadTable[] = {
    {0, "全ファイルの読み込みが終了しました。（ＥＯＦ ）"},
    {-1, "ファイルが切り替わりました。"},
    {-3, "ファイルダウンロード中"},
    {-201, "NVInitが行なわれていません。"},
    {-202, "前回のNVOpen/NVRTOpen/NVMVOpen に対してNVClose が呼ばれていません。（オープン中）"},
    {-203, "NVOpenが行なわれていません。"},
    {-402, "ダウンロードしたファイルサイズが異常です。"},
    {-403, "ダウンロードしたファイル内容が異常です。"},
    {-502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
    {-503, "ファイルが見つかりません。"},
};

// NVStatus; a positive code is the number of files downloaded so far.
constexpr Entry kStatusTable[] = {
    {0, "正常に実行されました。"},
    {-201, "NVInitが行なわれていません。"},
    {-203, "NVOpenが行なわれていません。"},
    {-502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）"},
};

// Every operation whose name begins with "NVSet".
constexpr Entry kSetTable[] = {
    {0, "正常に実行されました。"},
    {-100, "パラメータが不正あるいはレジストリへの保存に失敗しました。"},
    {-101, "すでにサービスキーが登録されています。"},
};

// NVClose knows only success.
constexpr Entry kCloseTable[] = {
    {0, "正常に実行されました。"},
};

// The betting operations (Rakuten...).
constexpr Entry kBettingTable[] = {
    {0, "正常に実行されました。"},
    {-1, "データが存在しません"},
    {-2, "タイムオーバーです"},
    {-3, "ページアクセス時のエラー"},
    {-4, "投票パラメータの個数・長さ・内容が不正"},
    {-5, "ログインまたはログアウトに失敗"},
    {-6, "対象競馬場なし"},
    {-7, "開催情報ファイル取得に失敗"},
    {-8, "投票画面遷移に失敗"},
    {-201, "NVInitが行われていない"},
    {-202, "前回のRakutenLoginに対してRakutenLogoutが呼ばれていない"},
    {-602, "式別エラー"},
    {-603, "式別取消"},
    {-604, "レース番号エラー"},
    {-606, "馬／枠番エラー"},
    {-607, "出走取消／除外"},
    {-609, "投票内容エラー"},
    {-610, "同枠取消"},
    {-699, "その他の投票フォーマットエラー"},
    {-799, "投票が受け付けられませんでした（締切後または通信エラー時等）"},
    {-800, "楽天サイトシステムエラー"},
    {-801, "楽天サイトがサービスを停止している"},
    {-802, "楽天サイトとの通信失敗"},
    {-803, "購入限度額オーバー"},
    {-804, "投票一部不成立あり"},
    {-806, "発売開始前、または開催情報エラー"},
    {-807, "暗証番号が違う"},
    {-808, "暗証番号がロックされている"},
    {-809, "1日の購入件数上限3000件オーバー"},
    {-810, "投票金額入力ミス"},
    {-812, "サービス終了済み"},
    {-816, "楽天競馬の本会員でも準会員でもない"},
    {-817, "楽天競馬の準会員である（本会員ではない）"},
    {-818, "規約に同意していない"},
    {-821, "暗証番号が未入力"},
    {-897, "不正な操作が行われた"},
    {-898, "応答がない（取消馬指定、またはパラメータが不正の可能性有り）"},
    {-900, "その他エラー"},
    {-901, "キャンセルされた"},
    {-999, "プログラム例外発生"},
};

// Any operation, when the link to the control failed.
constexpr Entry kLinkTable[] = {
    {link::kNotStarted, "ブリッジを起動できませんでした"},
    {link::kNoReply, "ブリッジが時間内に応答しませんでした"},
    {link::kEnded, "ブリッジが終了しました"},
    {link::kMalformed, "ブリッジの応答が不正です"},
    {link::kRefused, "ブリッジから操作を呼び出せませんでした"},
};

// The worker meets the failure, a window may word it: the detail is handed over under a lock.
std::mutex detailLock;
std::string linkDetail;

std::string lookUp(std::span<const Entry> table, int code) {
    for (const Entry& e : table)
        if (e.code == code) return sj(e.text);
    return {};
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string linkMessage(int code) {
    std::string meaning = code == link::kBetUnknown ? betResultUnknownText() : lookUp(kLinkTable, code);
    std::lock_guard lock(detailLock);
    return linkDetail.empty() ? meaning : meaning + sj("（") + linkDetail + sj("）");
}

std::string messageOf(std::string_view op, int code) {
    if (link::isLinkFailure(code)) return linkMessage(code);
    if (op == "NVOpen" || op == "NVRTOpen") return lookUp(kOpenTable, code);
    if (op == "NVRead" || op == "NVGets") {
        if (code > 0) return sj("バッファにセットしたデータのサイズ") + std::to_string(code);
        return lookUp(kReadTable, code);
    }
    if (op == "NVStatus") {
        if (code > 0) return sj("ダウンロード済みファイル数") + std::to_string(code);
        return lookUp(kStatusTable, code);
    }
    if (startsWith(op, "NVSet")) return lookUp(kSetTable, code);
    if (op == "NVClose") return lookUp(kCloseTable, code);
    if (op == "RakutenLogin" || op == "RakutenLogout" || op == "RakutenBet" || op == "RakutenZandaka" ||
        op == "RakutenDeposit")
        return lookUp(kBettingTable, code);
    return {};
}

}  // namespace

void setLinkFailureDetail(std::string detail) {
    std::lock_guard lock(detailLock);
    linkDetail = std::move(detail);
}

std::string betResultUnknownText() {
    return "result unknown: check the account's balance and history before voting again";
}

std::string ResultMessage(std::string_view operation, int code) {
    return messageOf(operation, code) + "(" + std::to_string(code) + ")";
}

std::string codeMeaning(std::string_view operation, int code) { return messageOf(operation, code); }

std::string codeWithMeaning(std::string_view operation, int code) {
    const std::string meaning = messageOf(operation, code);
    return meaning.empty() ? std::to_string(code) : std::to_string(code) + " " + meaning;
}

}  // namespace vex
