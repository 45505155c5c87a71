#include "datalink/result_messages.h"

#include <gtest/gtest.h>

#include "vocabulary/cp932.h"

namespace vex {
namespace {

std::string shown(std::string_view op, int code) { return toUtf8(ResultMessage(op, code)); }

TEST(ResultMessage, OpenTableKeepsItsLeadingSpaceAndIsSharedWithRealTimeOpen) {
    EXPECT_EQ(shown("NVOpen", -1), " 取得済みデータより最新のデータがありません。(-1)");
    EXPECT_EQ(shown("NVRTOpen", -1), shown("NVOpen", -1));
    EXPECT_EQ(shown("NVOpen", 0), "正常に実行されました。(0)");
    EXPECT_EQ(shown("NVRTOpen", -504), "サーバーがメンテナンス中です。(-504)");
    EXPECT_EQ(shown("NVOpen", -501), "セットアップ処理においてＣＤ －ＲＯＭ が無効です。(-501)");
}

TEST(ResultMessage, UnknownCodesAndOperationsGiveTheBracketedCodeAlone) {
    EXPECT_EQ(ResultMessage("NVOpen", -999), "(-999)");
    EXPECT_EQ(ResultMessage("NVOpen", 5), "(5)");
    EXPECT_EQ(ResultMessage("NVClose", -201), "(-201)");
    EXPECT_EQ(shown("NVClose", 0), "正常に実行されました。(0)");
    EXPECT_EQ(ResultMessage("NVInit", -101), "(-101)");
    EXPECT_EQ(ResultMessage("", 0), "(0)");
    EXPECT_EQ(ResultMessage("NVRead", -2), "(-2)");
}

TEST(ResultMessage, PositiveCountsOfReadAndStatusAreSpelledOut) {
    EXPECT_EQ(shown("NVStatus", 12), "ダウンロード済みファイル数12(12)");
    EXPECT_EQ(shown("NVRead", 1272), "バッファにセットしたデータのサイズ1272(1272)");
    EXPECT_EQ(shown("NVGets", 40), "バッファにセットしたデータのサイズ40(40)");
    EXPECT_EQ(shown("NVRead", 0), "全ファイルの読み込みが終了しました。（ＥＯＦ ）(0)");
    // The two tables word the same failure differently; both are shown as given.
    EXPECT_EQ(shown("NVRead", -502), "ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)");
    EXPECT_EQ(shown("NVStatus", -502), "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）(-502)");
    EXPECT_EQ(ResultMessage("NVOpen", 12), "(12)");
}

TEST(ResultMessage, EveryNVSetOperationUsesTheSetTable) {
    EXPECT_EQ(shown("NVSetUIProperties", -101), "すでにサービスキーが登録されています。(-101)");
    EXPECT_EQ(shown("NVSetServiceKey", -100), "パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)");
    EXPECT_EQ(ResultMessage("NVSetUIProperties", -1), "(-1)");
}

TEST(ResultMessage, BettingOperationsShareOneTable) {
    for (const char* op : {"RakutenLogin", "RakutenLogout", "RakutenBet", "RakutenZandaka", "RakutenDeposit"}) {
        EXPECT_EQ(shown(op, -807), "暗証番号が違う(-807)") << op;
        EXPECT_EQ(shown(op, -606), "馬／枠番エラー(-606)") << op;
    }
    EXPECT_EQ(shown("RakutenBet", -809), "1日の購入件数上限3000件オーバー(-809)");
    EXPECT_EQ(ResultMessage("RakutenBet", -805), "(-805)");
}

// Where a message names a code, its meaning stands beside it; a code no table lists stays alone.
TEST(ResultMessage, CodeWithMeaningForMessagesThatNameTheCode) {
    EXPECT_EQ(toUtf8(codeWithMeaning("RakutenBet", -803)), "-803 購入限度額オーバー");
    EXPECT_EQ(toUtf8(codeWithMeaning("RakutenLogin", -5)), "-5 ログインまたはログアウトに失敗");
    EXPECT_EQ(toUtf8(codeMeaning("NVOpen", -1)), " 取得済みデータより最新のデータがありません。");
    EXPECT_EQ(codeWithMeaning("RakutenBet", -805), "-805");
    EXPECT_EQ(codeWithMeaning("RakutenLogin", 5), "5");
    EXPECT_EQ(codeWithMeaning("NVInit", -101), "-101");
    EXPECT_EQ(codeMeaning("NVClose", -201), "");
}

// A character the converter cannot hold would show as '?': every listed text must survive.
TEST(ResultMessage, EveryMessageConvertsCleanly) {
    int listed = 0;
    for (const char* op : {"NVOpen", "NVRead", "NVStatus", "NVSetUIProperties", "NVClose", "RakutenBet"}) {
        for (int code = -1000; code <= 0; ++code) {
            std::string text = ResultMessage(op, code);
            std::string bracket = "(" + std::to_string(code) + ")";
            ASSERT_GE(text.size(), bracket.size());
            EXPECT_EQ(text.substr(text.size() - bracket.size()), bracket);
            if (text.size() == bracket.size()) continue;
            ++listed;
            EXPECT_EQ(text.find('?'), std::string::npos) << op << " " << code;
            EXPECT_EQ(toCp932(toUtf8(text)), text) << op << " " << code;
        }
    }
    EXPECT_EQ(listed, 22 + 10 + 4 + 3 + 1 + 40);
}

}  // namespace
}  // namespace vex
