// The frame protocol and the bridge's dispatch loop over a scripted control: arguments travel in
// the control's order with out ones coming back, the batched read stops where NVRead would make
// the caller stop, and broken requests are refused rather than guessed at.
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
            auto [code, bytes] = reads.front();
            reads.pop_front();
            args[0].text = bytes;
            return code;
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
    std::string problem_;
    std::deque<std::pair<int, std::string>> reads;
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
}

TEST(BridgeProtocol, BrokenRequestsAreRefused) {
    ScriptedHost host;
    for (const std::string& request : {std::string("\x63"), std::string("\x01\x05\x00\x00\x00ab", 7),
                                       std::string("\x04zz", 3), std::string("\x14\x01", 2)}) {
        const std::string reply = dispatch(host, request);
        Reader in(reply);
        EXPECT_EQ(in.op(), Op::Refused) << static_cast<int>(request[0]);
        EXPECT_FALSE(in.text().empty());
    }
    EXPECT_EQ(parseLibraryCheckReply(dispatch(host, libraryCheckRequest("IPAT_LIB.dll"))), LibraryCheckResult::Present);
    EXPECT_EQ(parseLibraryCheckReply(dispatch(host, libraryCheckRequest("other.dll"))), LibraryCheckResult::NotLoaded);
}

TEST(BridgeProtocol, TheBatchedReadStopsWhereTheReadLoopWould) {
    ScriptedHost host;
    host.reads = {{5, "abc\r\n"}, {5, "def\r\n"}, {-1, ""}, {5, "ghi\r\n"}, {-3, ""}, {5, "jkl\r\n"}, {-502, ""}};
    std::vector<int> stops;
    std::vector<std::size_t> counts;
    for (int i = 0; i < 4; ++i) {
        std::optional<Batch> b = parseBatchReply(dispatch(host, batchRequest({60000, 100, 1 << 20})));
        ASSERT_TRUE(b);
        stops.push_back(b->stop);
        counts.push_back(b->records.size());
    }
    EXPECT_EQ(stops, (std::vector<int>{-1, -3, -502, 0}));
    EXPECT_EQ(counts, (std::vector<std::size_t>{2, 1, 1, 0}));
    EXPECT_EQ(host.bufferSizes.front(), 60000);

    // The limits: so many records, or so many bytes, then stop code 1 with nothing pending.
    host.reads = {{5, "abc\r\n"}, {5, "def\r\n"}, {5, "ghi\r\n"}};
    Batch two = readBatch(host, {100000, 2, 1 << 20});
    EXPECT_EQ(two.stop, 1);
    EXPECT_EQ(two.records.size(), 2u);
    host.reads = {{5, "abc\r\n"}, {5, "def\r\n"}};
    Batch bytes = readBatch(host, {100000, 100, 6});
    EXPECT_EQ(bytes.stop, 1);
    EXPECT_EQ(bytes.records.size(), 2u) << "the record that crosses the byte limit is the last";
}

TEST(BridgeProtocol, BrokenBatchRepliesAreNotBelieved) {
    Batch batch{0, {{5, "abc\r\n"}}};
    const std::string reply = batchReply(batch);
    ASSERT_TRUE(parseBatchReply(reply));
    EXPECT_FALSE(parseBatchReply(reply.substr(0, reply.size() - 2)));
    std::string huge = Writer(Op::ReadBatch).number(0).number(0x7fffffff).payload();
    EXPECT_FALSE(parseBatchReply(huge)) << "a count no payload can hold";
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
