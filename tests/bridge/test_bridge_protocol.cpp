// The frame protocol and the bridge's dispatch loop over a scripted control: arguments travel in
// the control's order with out ones coming back, the batched read carries many files and hands the
// caller exactly what NVRead gave, and broken requests and replies are refused rather than guessed at.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>

#include "bridge/bridge_dispatch.h"

namespace vex::bridge {
namespace {

// NVRead answers from a script; every other call is recorded with its arguments.
class ScriptedHost : public ControlHost {
public:
    std::string problem() const override { return problem_; }
    int call(const Operation& op, std::vector<Value>& args) override {
        if (op.op == Op::NVRead) {
            bufferSizes.push_back(args[1].number);
            if (reads.empty()) return 0;
            const Read read = reads.front();
            reads.pop_front();
            args[0].text = read.record;
            args[2].text = read.name;
            return read.code;
        }
        seen = args;
        for (std::size_t i = 0; op.args[i]; ++i) {
            if (op.args[i] == 'T') args[i].text = "out" + std::to_string(i);
            if (op.args[i] == 'N') args[i].number = 100 + static_cast<int>(i);
        }
        return -7;
    }
    LibraryCheckResult checkLibrary(const std::string& library) override {
        return library == "IPAT_LIB.dll" ? LibraryCheckResult::Present : LibraryCheckResult::NotLoaded;
    }
    struct Read {
        int code;
        std::string record, name;
        bool operator==(const Read&) const = default;
    };
    std::string problem_;
    std::deque<Read> reads;
    std::vector<int> bufferSizes;
    std::vector<Value> seen;
};

Value t(const std::string& s) { return Value{0, s}; }
Value n(int v) { return Value{v, {}}; }

TEST(BridgeProtocol, AnOperationsArgumentsGoInOrderAndItsOutArgumentsComeBack) {
    ScriptedHost host;
    const Operation& bet = *controlOperation("RakutenBet");
    const std::string lines(240 * 90, '1');
    std::string reply = dispatch(host, callRequest(bet, {t("0000"), t(lines), n(1), {}, {}, {}, {}}));
    ASSERT_EQ(host.seen.size(), 7u);
    EXPECT_EQ(host.seen[0].text, "0000");
    EXPECT_EQ(host.seen[1].text, lines);
    EXPECT_EQ(host.seen[2].number, 1);
    int result = 0;
    std::vector<Value> out;
    ASSERT_TRUE(parseCallReply(bet, reply, result, out));
    EXPECT_EQ(result, -7);
    EXPECT_EQ(out[3].number, 103);
    EXPECT_EQ(out[5].number, 105);
    EXPECT_EQ(out[6].text, "out6");
    EXPECT_FALSE(parseCallReply(*controlOperation("NVOpen"), reply, result, out)) << "a reply of another operation";
    EXPECT_FALSE(parseCallReply(bet, reply.substr(0, reply.size() - 1), result, out)) << "cut short";
    EXPECT_FALSE(parseCallReply(bet, reply + "x", result, out)) << "bytes left over";

    // Texts are bytes: CP932 with NULs and high bytes goes through unchanged.
    const std::string sjis("\x82\xa0\x00\x93\xfa\x96\x7b", 7);
    dispatch(host, callRequest(*controlOperation("NVInit"), {t(sjis)}));
    EXPECT_EQ(host.seen.at(0).text, sjis);
    EXPECT_EQ(controlOperations().size(), 13u);
}

TEST(BridgeProtocol, TheHelloSaysWhetherTheControlIsThereAndWhyNot) {
    ScriptedHost host;
    std::optional<Hello> hello = parseHello(dispatch(host, helloRequest()));
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->protocolVersion, kProtocolVersion);
    EXPECT_TRUE(hello->controlCreated);
    EXPECT_NE(hello->bridgeVersion.find(VEXMORA_VERSION), std::string::npos);
    host.problem_ = "not registered";
    hello = parseHello(dispatch(host, helloRequest()));
    ASSERT_TRUE(hello);
    EXPECT_FALSE(hello->controlCreated);
    EXPECT_EQ(hello->problem, "not registered");
    const std::string reply = dispatch(host, callRequest(*controlOperation("NVInit"), {t("id")}));
    Reader refused(reply);
    EXPECT_EQ(refused.op(), Op::Refused) << "no call reaches a control that is not there";
    EXPECT_EQ(parseLibraryCheckReply(dispatch(host, libraryCheckRequest("IPAT_LIB.dll"))), LibraryCheckResult::Present)
        << "the library check needs no control";
}

TEST(BridgeProtocol, BrokenRequestsAreRefused) {
    ScriptedHost host;
    for (const std::string& request : {std::string("\x63"), std::string("\x01\x05\x00\x00\x00" "ab", 7),
                                       std::string("\x04zz", 3), std::string("\x14\x01", 2)}) {
        const std::string reply = dispatch(host, request);
        Reader in(reply);
        EXPECT_EQ(in.op(), Op::Refused) << static_cast<int>(request[0]);
        EXPECT_FALSE(in.text().empty());
    }
    EXPECT_EQ(parseLibraryCheckReply(dispatch(host, libraryCheckRequest("IPAT_LIB.dll"))), LibraryCheckResult::Present);
    EXPECT_EQ(parseLibraryCheckReply(dispatch(host, libraryCheckRequest("other.dll"))), LibraryCheckResult::NotLoaded);
}

using Read = ScriptedHost::Read;

// Everything the caller sees of `script` through batched reads of at most `maxRecords`, up to
// and including the first result that ends a read loop (0 or an error), and the round trips.
std::vector<Read> readThroughBatches(const std::deque<Read>& script, int maxRecords, int& roundTrips) {
    ScriptedHost host;
    host.reads = script;
    std::vector<Read> seen;
    BatchCursor cursor;
    roundTrips = 0;
    while (seen.empty() || (seen.back().code != 0 && seen.back().code >= -3)) {
        Read r{0, "stale", "stale"};
        if (std::optional<int> code = cursor.next(r.record, r.name)) {
            r.code = *code;
            seen.push_back(r);
            continue;
        }
        ++roundTrips;
        std::optional<Batch> batch = parseBatchReply(dispatch(host, batchRequest({60000, maxRecords, 1 << 20})));
        if (!batch || roundTrips > 100) return {};
        cursor = BatchCursor(std::move(*batch));
    }
    return seen;
}

TEST(BridgeProtocol, TheBatchedReadCarriesManyFilesAndHandsOutWhatNVReadGave) {
    // Two files, one passed over (a boundary alone), a wait, then an error on the last file.
    const std::deque<Read> script = {{5, "abc\r\n", "A.dat"}, {5, "def\r\n", "A.dat"}, {-1, "", "A.dat"},
                                     {-1, "", "B.dat"},         {4, "gh\r\n", "C.dat"}, {-3, "", ""},
                                     {5, "jkl\r\n", "C.dat"}, {-502, "", "C.dat"}};
    const std::vector<Read> expected(script.begin(), script.end());
    int roundTrips = 0;
    EXPECT_EQ(readThroughBatches(script, 100, roundTrips), expected);
    EXPECT_EQ(roundTrips, 2) << "one reply up to the wait, one up to the error";
    // Every limit, those that fall exactly on a boundary among them, gives the same results.
    for (int limit = 1; limit <= 4; ++limit) EXPECT_EQ(readThroughBatches(script, limit, roundTrips), expected) << limit;
    EXPECT_EQ(readThroughBatches({{0, "", ""}}, 5, roundTrips), (std::vector<Read>{{0, "", ""}}));

    ScriptedHost host;
    host.reads = script;
    Batch first = readBatch(host, {60000, 100, 1 << 20});
    EXPECT_EQ(host.bufferSizes.front(), 60000);
    ASSERT_EQ(first.files.size(), 3u);
    EXPECT_EQ(first.files[0].records.size(), 2u);
    EXPECT_TRUE(first.files[0].boundary);
    EXPECT_TRUE(first.files[1].records.empty());
    EXPECT_TRUE(first.files[1].boundary);
    EXPECT_FALSE(first.files[2].boundary);
    EXPECT_EQ(first.stop, -3);

    // A limit reached on a file's last record leaves its boundary for the next reply.
    host.reads = script;
    Batch two = readBatch(host, {60000, 2, 1 << 20});
    EXPECT_EQ(two.stop, 1);
    ASSERT_EQ(two.files.size(), 1u);
    EXPECT_FALSE(two.files[0].boundary);
    Batch next = readBatch(host, {60000, 1, 1 << 20});
    ASSERT_EQ(next.files.size(), 1u);
    EXPECT_TRUE(next.files[0].records.empty());
    EXPECT_TRUE(next.files[0].boundary);
    EXPECT_EQ(next.files[0].name, "A.dat");
}

TEST(BridgeProtocol, TheByteLimitCountsTheWholeReply) {
    ScriptedHost host;
    host.reads = {{5, "abc\r\n", "A"}, {5, "def\r\n", "A"}, {5, "ghi\r\n", "A"}};
    // A file costs 12 bytes and its name, a record 8 and its bytes: 26 for the first.
    Batch one = readBatch(host, {100000, 100, 26});
    EXPECT_EQ(one.stop, 1);
    ASSERT_EQ(one.files.size(), 1u);
    EXPECT_EQ(one.files[0].records.size(), 1u);
    Batch rest = readBatch(host, {100000, 100, 27});
    EXPECT_EQ(rest.files.at(0).records.size(), 2u) << "the record that crosses the byte limit is the last";
    const std::size_t header = 1 + 4 + 4 + 4;  // op, stop, empty stop name, file count
    EXPECT_EQ(batchReply(rest).size(), header + 12 + 1 + 2 * (8 + 5));
}

TEST(BridgeProtocol, BrokenBatchRepliesAreNotBelieved) {
    Batch batch{0, "C.dat", {{"A.dat", {{5, "abc\r\n"}}, true}, {"B.dat", {}, true}}};
    const std::string reply = batchReply(batch);
    std::optional<Batch> back = parseBatchReply(reply);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stopName, "C.dat");
    ASSERT_EQ(back->files.size(), 2u);
    EXPECT_EQ(back->files[1].name, "B.dat");
    EXPECT_FALSE(parseBatchReply(reply.substr(0, reply.size() - 2)));
    EXPECT_FALSE(parseBatchReply(reply + "x")) << "bytes left over";

    auto start = [](int stop, int files) { return Writer(Op::ReadBatch).number(stop).text("").number(files); };
    EXPECT_FALSE(parseBatchReply(start(0, 0x7fffffff).payload())) << "a file count no payload can hold";
    EXPECT_FALSE(parseBatchReply(start(0, 1).text("A").number(0x7fffffff).payload())) << "a record count too";
    EXPECT_FALSE(parseBatchReply(start(0, 1).text("A").number(0).number(2).payload())) << "a boundary flag of 2";
    EXPECT_FALSE(parseBatchReply(start(0, 1).text("A").number(1).number(-1).text("").number(0).payload()))
        << "a record with a code that is no record's";
    EXPECT_FALSE(parseBatchReply(start(0, 1).text("A").number(0).number(0).payload())) << "a file with nothing in it";
    EXPECT_FALSE(parseBatchReply(start(1, 0).payload())) << "a limit reached with nothing read: asked again forever";
    EXPECT_FALSE(parseBatchReply(start(7, 0).payload())) << "no such stop code";
    EXPECT_TRUE(parseBatchReply(start(0, 0).payload())) << "the end alone";
}

TEST(BridgeProtocol, AReplyWrittenIntoTheBufferOfABiggerOneCarriesOnlyItself) {
    ScriptedHost host;
    host.reads = {{5, "abc\r\n", "A.dat"}, {5, "def\r\n", "B.dat"}, {-502, "", "B.dat"}};
    std::string reply;
    dispatch(host, batchRequest({60000, 100, 1 << 20}), reply);
    std::optional<Batch> first = parseBatchReply(reply);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->stop, -502);
    EXPECT_EQ(first->stopName, "B.dat");
    ASSERT_EQ(first->files.size(), 2u);
    EXPECT_EQ(first->files[1].records.at(0).bytes, "def\r\n");

    host.reads = {{3, "gh\n", "C.dat"}};  // then the end, unnamed
    dispatch(host, batchRequest({60000, 100, 1 << 20}), reply);
    std::optional<Batch> second = parseBatchReply(reply);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->stop, 0);
    EXPECT_EQ(second->stopName, "");
    ASSERT_EQ(second->files.size(), 1u);
    EXPECT_EQ(second->files[0].records.at(0).bytes, "gh\n");
    dispatch(host, helloRequest(), reply);
    EXPECT_EQ(reply, dispatch(host, helloRequest()));
}

TEST(BridgeProtocol, TheLoopEndsCleanlyOrSaysTheInputBroke) {
    ScriptedHost host;
    auto run = [&](const std::string& input, std::string& output) {
        std::FILE* in = std::tmpfile();
        std::FILE* out = std::tmpfile();
        std::fwrite(input.data(), 1, input.size(), in);
        std::rewind(in);
        const int code = serve(in, out, host, {});
        output.assign(static_cast<std::size_t>(std::ftell(out)), '\0');
        std::rewind(out);
        output.resize(std::fread(output.data(), 1, output.size(), out));
        std::fclose(in);
        std::fclose(out);
        return code;
    };
    std::string output;
    EXPECT_EQ(run(framed(helloRequest()) + framed(helloRequest()), output), kExitInputEnded);
    EXPECT_EQ(output, framed(dispatch(host, helloRequest())) + framed(dispatch(host, helloRequest())));
    EXPECT_EQ(run(framed(helloRequest()) + "\x05\x00", output), kExitBrokenInput) << "a cut header";
    EXPECT_EQ(run(std::string("\x00\x00\x10\x00", 4) + "x", output), kExitBrokenInput) << "beyond the request limit";
    EXPECT_EQ(run(std::string("\x00\x00\x00\x00", 4), output), kExitBrokenInput) << "an empty payload";
    EXPECT_FALSE(parseOptions(3, std::vector<const char*>{"b", "--delay-ms", "x"}.data()));
    EXPECT_EQ(parseOptions(3, std::vector<const char*>{"b", "--delay-ms", "1"}.data())->delayMs, 1);
}

}  // namespace
}  // namespace vex::bridge
