#include "voting/vote.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/atomic_file.h"
#include "app/clock.h"
#include "betting/grid_sort.h"
#include "datalink/result_messages.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"
#include "voting/bet_lines.h"
#include "voting/spending_guard.h"

namespace vex {

namespace {

std::string stamp12(const DateTime& t) {
    char b[24];
    std::snprintf(b, sizeof b, "%04d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute);
    return b;
}

// Why the money settings cannot be trusted now; empty when they can (or when there are none).
std::string settingsProblem(const VoteContext& ctx) { return ctx.settings ? ctx.settings->readProblem() : ""; }

std::string settingsRefusal(const std::string& problem) {
    return problem + "\n" + sj("設定ファイルが読めない間は投票できません。");
}

// A refusal: beep; the message on screen in manual mode, an error line in the log in automatic mode.
void refuse(VoteContext& ctx, const std::string& message, const std::string& logText) {
    ctx.reporter.beep();
    if (ctx.automatic) ctx.log.add(sj("[エラー]") + logTime() + logText);
    else ctx.reporter.information(message);
}

// What a vote of the plan is about, before anything happens.
VoteResult resultOf(const VotePlan& plan, const VoteContext& ctx) {
    VoteResult result;
    result.lines = static_cast<int>(plan.lines.size());
    result.betFile = ctx.betFolder / betFileName(plan.race);
    return result;
}

// After the login the site's answers are what counts: a log that cannot be written is noted and
// reported after the vote's own result, never in place of it (a vote reported as failed is bought
// twice on a retry).
void logAfterLogin(VoteContext& ctx, VoteResult& result, const std::vector<std::string>& lines) {
    try {
        ctx.log.add(lines);
    } catch (const std::exception& e) {
        if (result.logError.empty())
            result.logError = sj("投票ログを書き込めませんでした。") + toCp932(e.what());
    }
}

bool confirmLargeVote(const VotePlan& plan, VoteContext& ctx) {
    if (ctx.secondConfirmAbove < 0) return true;
    const std::string second = secondVoteQuestion(plan, ctx.secondConfirmAbove);
    return second.empty() || ctx.reporter.askYesNo(second);
}

VoteResult askThenSubmit(const VotePlan& plan, VoteContext& ctx) {
    if (!plan.ready) return plan.refused;
    if (!ctx.automatic && (!ctx.reporter.askYesNo(plan.question) || !confirmLargeVote(plan, ctx))) {
        VoteResult declined = resultOf(plan, ctx);
        declined.outcome = VoteOutcome::Declined;
        return declined;
    }
    return submitVote(plan, ctx);
}

}  // namespace

std::string dayStampOf(int year, int month, int day) {
    char b[32];
    std::snprintf(b, sizeof b, "%04d年%02d月%02d日", year, month, day);
    return sj(b);
}

std::string logTime() {
    const DateTime t = now();
    char b[16];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return b;
}

namespace {

struct Refusal {
    const char* message;  // shown in manual mode (UTF-8)
    const char* logText;  // logged in automatic mode
};

// What the question names after its first line: the day, the race, the kind, the lines and the total.
std::string voteDetails(const VotePlan& plan) {
    const BetRace& race = plan.race;
    const std::string day = race.year + sj("年") + race.monthDay.substr(0, 2) + sj("月") + race.monthDay.substr(2) +
                            sj("日");
    return "\n\n" + sj("開催日：") + day + "\n" + sj("レース：") + race.listEntry + "\n" + sj("馬券種：") +
           BetKindName(plan.kind) + "\n" + sj("買い点数：") + std::to_string(plan.lines.size()) + sj("点") + "\n" +
           sj("合計金額：") + yenText(planTotal(plan));
}

bool isTodayOrTomorrow(const std::string& dayStamp) {
    const DateTime today = now();
    const DateTime tomorrow = fromEpoch(nowEpoch() + 24 * 60 * 60);
    return dayStamp == dayStampOf(today.year, today.month, today.day) ||
           dayStamp == dayStampOf(tomorrow.year, tomorrow.month, tomorrow.day);
}

bool postTimePassed(const BetRace& race) { return race.year + race.monthDay + race.postTime < stamp12(now()); }

bool anyStake(const BetList& list) {
    return std::any_of(list.lines.begin(), list.lines.end(), [](const BetLine& line) { return line.stake != 0; });
}

// The vote button's checks in their order; the first that fails refuses the vote.
std::optional<Refusal> refusalOf(const VoteRequest& request) {
    if (isBlankCell(request.dayStamp)) return Refusal{"開催日ﾃﾞｰﾀを読み込んでください。", " 開催日が読み込まれていません。"};
    if (!request.race || !request.list)
        return Refusal{"レースデータを読み込んでください。", " レースが読み込まれていません。"};
    if (!isTodayOrTomorrow(request.dayStamp))
        return Refusal{"本日(または翌日)のデータが読み込まれていません。", " 本日のデータが読み込まれていません。"};
    if (postTimePassed(*request.race)) return Refusal{"発走時刻を過ぎました。", " 発走時刻を過ぎています。"};
    // Below 100 yen the split leaves no stake; the amount is named rather than an empty list.
    if (request.amount >= 0 && request.amount < 100)
        return Refusal{"投票金額は100円以上を入力してください。", " 投票金額が100円未満です。"};
    if (!anyStake(*request.list)) return Refusal{"買い目が作成されていません。", " 買い目が作成されていません。"};
    return std::nullopt;
}

}  // namespace

VotePlan planVote(const VoteRequest& request, VoteContext& ctx) {
    if (const std::optional<Refusal> refusal = refusalOf(request)) {
        refuse(ctx, sj(refusal->message), sj(refusal->logText));
        return VotePlan{};
    }
    VotePlan plan = planVoteRace(*request.list, *request.race, ctx);
    if (plan.ready) plan.question += totalAboveAmountNote(planTotal(plan), request.amount);
    return plan;
}

std::string totalAboveAmountNote(long long total, long long amount) {
    if (amount < 100 || total <= amount) return {};
    return "\n\n" + sj("※合計金額が入力投票金額（") + yenText(amount) + sj("）を") + yenText(total - amount) +
           sj("上回っています。");
}

VotePlan planVoteRace(const BetList& list, const BetRace& race, VoteContext& ctx) {
    VotePlan plan;
    // The list's stakes came from settings that now read as defaults: nothing is sent.
    if (const std::string problem = settingsProblem(ctx); !problem.empty()) {
        refuse(ctx, settingsRefusal(problem), sj("  投票不可能：") + problem);
        return plan;
    }
    VoteLines built = voteLinesOf(list, race);
    // A stake of 10,000,000 yen or more cannot be written in the line's 5-digit field: sending
    // it would buy a different amount, so nothing is sent or written.
    if (built.tooLarge > 0) {
        refuse(ctx,
               sj("1点あたりの購入額が9,999,900円を超える買い目があります。投票できません。"),
               sj("  投票不可能：1点あたりの購入額が上限(9,999,900円)を超えています。"));
        return plan;
    }
    plan.ready = true;
    plan.kind = list.kind;
    plan.race = race;
    plan.lines = std::move(built.lines);
    plan.question = "[" + race.listEntry + ":" + BetKindName(list.kind) + sj("]に投票します。実行してよろしいですか？") +
                    voteDetails(plan);
    return plan;
}

long long planTotal(const VotePlan& plan) {
    long long units = 0;
    for (const std::string& line : plan.lines)
        units += strictNumber(std::string_view(line).substr(kStakeField, kStakeDigits)).value_or(0);
    return units * 100;
}

std::string secondVoteQuestion(const VotePlan& plan, long long threshold) {
    const long long total = planTotal(plan);
    if (total <= threshold) return {};
    return sj("投票金額の合計は") + yenText(total) + sj("です（確認する金額：") + yenText(threshold) +
           sj("を超えています）。\nこの金額で投票してよろしいですか？");
}

std::string yenText(long long yen) { return GroupedDigits(yen) + sj("円"); }

namespace {

// Lines b*120 .. b*120+119 of the vote, joined as the site takes them.
std::string batchOf(const std::vector<std::string>& lines, int b) {
    const int count = static_cast<int>(lines.size());
    const int first = b * kBatchLines;
    const int last = std::min(count, first + kBatchLines);
    std::string batch;
    batch.reserve(static_cast<std::size_t>(last - first) * kBetLineWidth);
    for (int i = first; i < last; ++i) batch += lines[i];
    return batch;
}

// One batch sent; its outcome, from the site's answer, reported and logged.
void sendBatch(VoteContext& ctx, VoteResult& result, const std::string& batch, int b, const std::string& title) {
    int amount = 0, remaining = 0, limit = 0;
    std::string answer;
    int code = 0;
    std::string why;  // when the control itself failed
    try {
        code = ctx.control.RakutenBet("", batch, 1, amount, remaining, limit, answer);
    } catch (const std::exception& e) {
        code = -1;
        why = " " + toCp932(e.what());
    }
    const std::string number = std::to_string(b);
    if (code != 0) {
        ++result.failed;
        ctx.reporter.beep();
        if (!ctx.automatic)
            ctx.reporter.information(sj("買い目:") + number + sj("投票時にエラーが発生しました。(エラーコード:") +
                                     codeWithMeaning("RakutenBet", code) + ")" + why);
        logAfterLogin(ctx, result, {sj("[エラー]") + logTime() + sj("  買い目:") + number + sj("投票失敗：(エラー:") +
                                    std::to_string(code) + ")" + why});
    } else {
        ++result.accepted;
        result.bought += amount;
        if (!ctx.automatic)
            ctx.reporter.information(sj("投票しました。") + "\r\n" + sj("購入金額　:") + formatText("%8d", amount) + "\r\n" +
                                     sj("残投票件数:") + formatText("%8d", remaining) + "\r\n" + sj("購入限度額:") + formatText("%8d", limit) +
                                     "\r\n" + sj("投票内容の確認は楽天競馬サイトにログインしてください。"));
        logAfterLogin(ctx, result, {
            sj("[投票　] ■買い目:") + number + sj("投票成功 ") + logTime(), title, "-BetStart--------------", batch,
            "---", sj("購入金額　:") + formatText("%8d", amount), sj("残投票件数:") + formatText("%8d", remaining),
            sj("購入限度額:") + formatText("%8d", limit), sj("投票結果　:") + answer, "-BetEnd----------------"});
    }
}

void logOut(VoteContext& ctx, VoteResult& result) {
    int code = 0;
    std::string why;
    try {
        code = ctx.control.RakutenLogout();
    } catch (const std::exception& e) {
        code = 1;  // reported like a failed logout; the batches' outcomes stand
        why = " " + toCp932(e.what());
    }
    if (code > 0) {
        ctx.reporter.beep();
        if (!ctx.automatic)
            ctx.reporter.information(sj("楽天競馬ログアウト時にエラーが発生しました。(エラーコード:") +
                                     codeWithMeaning("RakutenLogout", code) + ")");
        logAfterLogin(ctx, result,
                      {sj("[エラー]") + logTime() + sj("  ログアウト失敗：(エラー:") + std::to_string(code) + ")" + why});
    }
}

}  // namespace

namespace {

// After the start line every way out logs its outcome, in manual mode too, so that no block of the
// log is left open; manual mode also shows it.
void endBlock(VoteContext& ctx, VoteResult& result, VoteOutcome outcome, const std::string& message,
              const std::string& logText) {
    ctx.reporter.beep();
    if (!ctx.automatic) ctx.reporter.information(message);
    logAfterLogin(ctx, result, {sj("[エラー]") + logTime() + logText});
    result.outcome = outcome;
}

// The day's bet file, written before the login: without it the vote would leave no record of what
// was sent. False (reported) when it cannot be written.
bool writeBetFile(VoteContext& ctx, VoteResult& result, const std::vector<std::string>& lines) {
    try {
        writeLinesAtomic(result.betFile, lines);
        return true;
    } catch (const FileWriteError& e) {
        endBlock(ctx, result, VoteOutcome::FileFailed,
                 sj("買い目ファイルを書き込めませんでした。") + toCp932(e.what()),
                 sj("  投票不可能：買い目ファイルを書き込めませんでした。") + toCp932(e.what()));
        return false;
    }
}

void reportNoLines(VoteContext& ctx, VoteResult& result) {
    if (!ctx.automatic) ctx.reporter.information(sj("投票可能な有効馬券がないようです。"));
    logAfterLogin(ctx, result, {sj("[エラー]") + logTime() + sj("  投票不可能：")});
    ctx.loggedIn = false;
    result.outcome = VoteOutcome::NoLines;
}

// The money settings read again, and the race limit, which needs no account. False (logged) when
// the vote must not go on.
bool settingsAllow(VoteContext& ctx, VoteResult& result, const VotePlan& plan, SpendingLimits& limits) {
    if (const std::string problem = settingsProblem(ctx); !problem.empty()) {
        endBlock(ctx, result, VoteOutcome::Refused, settingsRefusal(problem), sj("  投票不可能：") + problem);
        return false;
    }
    if (ctx.settings) limits = readSpendingLimits(*ctx.settings);
    const std::string refusal = raceLimitRefusal(limits, planTotal(plan));
    if (refusal.empty()) return true;
    endBlock(ctx, result, VoteOutcome::Withheld, refusal.substr(2), refusal);
    return false;
}

// The vote lock of the account, into `hold`: kept from the day-limit check to the last batch.
// False (logged) when another vote holds it longer than a vote waits.
bool holdAccount(VoteContext& ctx, VoteResult& result, std::optional<FileLock>& hold) {
    try {
        hold.emplace(ctx.log.file().parent_path() / "BettingAccount");
        return true;
    } catch (const FolderBusyError& e) {
        endBlock(ctx, result, VoteOutcome::Busy, sj("他の投票が終わらないため投票できませんでした。") + toCp932(e.what()),
                 sj("  投票不可能：他の投票が終わりません。") + toCp932(e.what()));
        return false;
    }
}

bool logIn(VoteContext& ctx, VoteResult& result) {
    int login = 0;
    std::string why;  // when the control itself failed (its account file held or unreadable)
    try {
        login = ctx.control.RakutenLogin("", "");
    } catch (const std::exception& e) {
        login = -1;
        why = " " + toCp932(e.what());
    }
    if (login == 0) {
        ctx.loggedIn = true;
        return true;
    }
    endBlock(ctx, result, VoteOutcome::LoginFailed,
             sj("楽天競馬にログインできませんでした。(エラーコード:") + codeWithMeaning("RakutenLogin", login) + ")" + why,
             sj("  ログイン失敗：(エラー:") + std::to_string(login) + ")" + why);
    return false;
}

// The day limit against the account's own purchases of the day (votes by hand, by vexmora-cli and
// by earlier runs all count), asked inside the session. False (logged) when the vote must not go on.
bool dayLimitAllows(VoteContext& ctx, VoteResult& result, const SpendingLimits& limits, long long voteYen) {
    if (limits.perDay <= 0) return true;
    int limit = 0, bought = 0, paid = 0, remaining = 0;
    std::string refusal;
    try {
        const int code = ctx.control.RakutenZandaka(limit, bought, paid, remaining, "");
        refusal = code == 0 ? dayLimitRefusal(limits, voteYen, bought)
                            : sj("  投票見送り：本日の購入金額を確認できません。(エラー:") + std::to_string(code) + ")";
    } catch (const std::exception& e) {
        refusal = sj("  投票見送り：本日の購入金額を確認できません。") + toCp932(e.what());
    }
    if (refusal.empty()) return true;
    endBlock(ctx, result, VoteOutcome::Withheld, refusal.substr(2), refusal);
    return false;
}

bool stopRequested(const VoteContext& ctx) { return ctx.stopRequested && ctx.stopRequested(); }

// The batches in order; a stop request ends them before the next batch, never inside one.
void sendBatches(const VotePlan& plan, VoteContext& ctx, VoteResult& result) {
    const std::string title = raceTitle(plan.race, plan.kind);
    result.batches = (result.lines + kBatchLines - 1) / kBatchLines;
    for (int b = 0; b < result.batches; ++b) {
        if (stopRequested(ctx)) {
            endBlock(ctx, result, VoteOutcome::Stopped, sj("投票を中断しました。"),
                     sj("  投票中断：買い目:") + std::to_string(b) + sj("から後は送っていません。(受付済み ") +
                         std::to_string(result.accepted) + "/" + std::to_string(result.batches) + ")");
            return;
        }
        sendBatch(ctx, result, batchOf(plan.lines, b), b, title);
    }
}

// The outcome once every batch has had its answer; a log that could not be written is shown after it.
void concludeVote(VoteContext& ctx, VoteResult& result) {
    const bool stopped = result.outcome == VoteOutcome::Stopped;  // its own line is the outcome
    if (!stopped && result.accepted == 0) {
        // Every batch was refused: say so plainly, the per-batch errors alone read like details.
        if (!ctx.automatic) ctx.reporter.information(sj("投票できませんでした。受け付けられた買い目はありません。"));
        logAfterLogin(ctx, result, {sj("[エラー]") + logTime() + sj("  投票失敗：受け付けられた買い目はありません。")});
        result.outcome = VoteOutcome::AllBatchesFailed;
    } else if (!stopped) {
        result.outcome = result.failed > 0 ? VoteOutcome::PartlyVoted : VoteOutcome::Voted;
    }
    if (!result.logError.empty() && !ctx.automatic) {
        ctx.reporter.beep();
        ctx.reporter.information(result.logError);
    }
}

// Logged in under the account's vote lock: the day limit, the batches, the logout.
void buyHeld(const VotePlan& plan, VoteContext& ctx, VoteResult& result, const SpendingLimits& limits) {
    const bool allowed = dayLimitAllows(ctx, result, limits, planTotal(plan));
    if (allowed) sendBatches(plan, ctx, result);
    logOut(ctx, result);
    ctx.loggedIn = false;
    if (allowed) concludeVote(ctx, result);
}

}  // namespace

VoteResult submitVote(const VotePlan& plan, VoteContext& ctx) {
    if (!plan.ready) return plan.refused;
    VoteResult result = resultOf(plan, ctx);
    ctx.log.add(sj("[投票　] ■投票開始 ") + logTime());
    if (!writeBetFile(ctx, result, plan.lines)) return result;
    if (plan.lines.empty()) {
        reportNoLines(ctx, result);
        return result;
    }
    SpendingLimits limits;
    if (!settingsAllow(ctx, result, plan, limits)) return result;
    std::optional<FileLock> hold;
    if (holdAccount(ctx, result, hold) && logIn(ctx, result)) buyHeld(plan, ctx, result, limits);
    return result;
}

VoteResult voteCommand(const VoteRequest& request, VoteContext& ctx) {
    return askThenSubmit(planVote(request, ctx), ctx);
}

VoteResult voteRace(const BetList& list, const BetRace& race, VoteContext& ctx) {
    return askThenSubmit(planVoteRace(list, race, ctx), ctx);
}

std::string postTimeCountdown(const BetRace* race) {
    if (!race) return {};
    const auto num = [](const std::string& s, std::size_t pos, std::size_t len) {
        return pos < s.size() ? cellInt(s.substr(pos, len)) : 0;
    };
    DateTime post{cellInt(race->year), num(race->monthDay, 0, 2), num(race->monthDay, 2, 2),
                  num(race->postTime, 0, 2), num(race->postTime, 2, 2), 0};
    if (post.year == 0 || post.month == 0 || post.day == 0) return {};
    const std::time_t left = toEpoch(post) - nowEpoch();
    if (left < 0) return sj("発走済み");
    // The label shows the difference as a time of day: a day or more ahead wraps around.
    const long long s = static_cast<long long>(left) % 86400;
    char b[64];
    std::snprintf(b, sizeof b, "発走までの残り時間：%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return sj(b);
}

}  // namespace vex
