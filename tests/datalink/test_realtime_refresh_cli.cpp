// vexmora-cli refresh-odds and refresh-results on the simulated service: the status texts, the
// odds moving, the exit status of a service failure and of a day without data.
#include <gtest/gtest.h>

#include "store/store_paths.h"
#include "support/test_support.h"

namespace vex {
namespace {

struct RefreshCli : ::testing::Test {
    test::TempHome home;
    const std::string day = "2024年05月10日";
    int code = -1;
    std::string at(const std::string& time) { return "VEXMORA_SERVICE=sim VEXMORA_NOW='2024/05/10 " + time + "'"; }
    RefreshCli() {
        test::runCli("download --from '2024/05/09 00:00:00' >/dev/null", code, at("12:00:00"));
    }
    // The first runner's row of the card, which shows its win odds.
    std::string firstRunnerRow() {
        std::string card = test::runCli("card " + day + " 1", code, at("12:00:00"));
        std::size_t row = card.find('\n', card.find('\n') + 1);
        return card.substr(row + 1, card.find('\n', row + 1) - row - 1);
    }
};

TEST_F(RefreshCli, OddsRefreshesPrintTheStatusAndMoveTheOdds) {
    ASSERT_EQ(code, 0);
    EXPECT_EQ(test::runCli("refresh-odds " + day + " 1", code, at("14:00:00")), "大井 1オッズ取得中\n");
    EXPECT_EQ(code, 0);
    const std::string early = firstRunnerRow();
    test::runCli("refresh-odds " + day + " 1", code, at("14:10:00"));
    EXPECT_NE(firstRunnerRow(), early);
}

TEST_F(RefreshCli, ResultsRefreshPrintsItsStatus) {
    EXPECT_EQ(test::runCli("refresh-results " + day, code, at("16:00:00")), "ﾚｰｽ情報データ取得中\n");
    EXPECT_EQ(code, 0);
}

TEST_F(RefreshCli, AServiceFailureExitsOneAndADayWithoutDataSaysSo) {
    std::string out = test::runCli("refresh-odds " + day + " 1", code, at("14:00:00") + " VEXMORA_FAULTS=NVRTOpen=-504");
    EXPECT_EQ(out, "大井 1オッズ取得中\n大井 1R:ｵｯｽﾞ取得エラー：サーバーがメンテナンス中です。(-504)\n");
    EXPECT_EQ(code, 1);
    out = test::runCli("refresh-results " + day, code, at("16:00:00") + " VEXMORA_FAULTS=NVRead=-502@3");
    EXPECT_NE(out.find("ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)"), std::string::npos) << out;
    EXPECT_EQ(code, 1);
    test::runCli("refresh-results 2024年05月01日 2>/dev/null", code, at("16:00:00"));
    EXPECT_EQ(code, 1);
    test::runCli("refresh-odds " + day + " x 2>/dev/null", code, at("16:00:00"));
    EXPECT_EQ(code, 2);
}

}  // namespace
}  // namespace vex
