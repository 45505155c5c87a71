#pragma once
// The frame protocol between the program and vexmora-bridge.exe, shared by both sides. The bridge
// reads request frames on its stdin and answers each with one reply frame on its stdout; the first
// request is always the hello. Layout and limits: docs/bridge-protocol.md.
//
// A frame is a 4-byte little-endian payload length followed by the payload. A payload starts with
// the operation byte; requests then carry the operation's in arguments in order, replies the result
// code followed by the out arguments in order. Numbers are 4-byte little-endian signed integers,
// texts a 4-byte little-endian length followed by that many CP932 bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex::bridge {

// 2: one batched read carries the records of several files, with their names and boundaries.
inline constexpr int kProtocolVersion = 2;
// The control the bridge creates.
inline constexpr const char* kControlProgId = "NVDTLablib.NVLink";

// Largest payloads either side accepts: a longer length is a broken peer, not a big answer.
inline constexpr std::uint32_t kMaxRequestBytes = 1u << 20;
inline constexpr std::uint32_t kMaxReplyBytes = 32u << 20;
// The batched read never gathers more than these, whatever the request asks (a file boundary
// counts as a record).
inline constexpr int kMaxBatchRecords = 100000;
inline constexpr int kMaxBatchBytes = 16 << 20;

enum class Op : std::uint8_t {
    Hello = 0,
    // The control's 13 operations, called by name through the control's dispatch interface.
    NVInit = 1, NVSetUIProperties, NVOpen, NVStatus, NVRead, NVRTOpen, NVCancel, NVClose,
    RakutenLogin, RakutenLogout, RakutenBet, RakutenZandaka, RakutenDeposit,
    // NVRead run in a loop on the bridge's side: many records in one reply.
    ReadBatch = 20,
    // Loads a library and looks up its export `ipat_call` without calling it.
    LibraryCheck = 21,
    // The reply to a request the bridge could not decode: a text saying why.
    Refused = 255,
};

// The argument kinds of a control operation, one letter each, in the control's order:
//   t in text, n in number, T out text, N out number, B in/out number.
struct Operation {
    Op op;
    const char* name;
    const char* args;
};

// The 13 control operations; null for any other op.
const Operation* controlOperation(Op op);
const Operation* controlOperation(std::string_view name);
const std::vector<Operation>& controlOperations();

// One argument value: a number or a CP932 text.
struct Value {
    int number = 0;
    std::string text;
};

// Hello reply: protocol and bridge versions, whether the control was created, and why not.
struct Hello {
    int protocolVersion = 0;
    std::string bridgeVersion;
    bool controlCreated = false;
    std::string problem;  // CP932; empty when created
};

// Batched read: NVRead in a loop on the bridge's side, up to maxRecords records or maxBytes bytes
// in one reply, across file boundaries. Each file of the reply holds the name NVRead gave with its
// records and whether NVRead then returned -1 (its boundary). The loop stops at the end (0), "call
// again" (-2, -3: the control wants time, and the caller's cancel check comes first) or an error
// (< -3): `stop` carries that code and `stopName` the name NVRead gave with it, which the caller
// sees after the records, as if NVRead had returned them. `stop` 1: a limit was reached, nothing
// pending.
struct BatchRequest {
    int bufferSize = 0;
    int maxRecords = 0;
    int maxBytes = 0;
};
struct Record {
    int code = 0;  // NVRead's positive result for it
    std::string bytes;
};
struct BatchFile {
    std::string name;
    std::vector<Record> records;
    bool boundary = false;
};
struct Batch {
    int stop = 0;
    std::string stopName;
    std::vector<BatchFile> files;
};

// Hands out a batch's results one NVRead at a time: each record, each boundary (-1), and then the
// stop code unless it is 1. Empty once all of them are out.
class BatchCursor {
public:
    BatchCursor() = default;
    explicit BatchCursor(Batch batch) : batch_(std::move(batch)), stopPending_(batch_.stop <= 0) {}
    // NVRead's result, with `record` and `fileName` set as NVRead sets them; nullopt when empty.
    std::optional<int> next(std::string& record, std::string& fileName);

private:
    Batch batch_;
    std::size_t file_ = 0, record_ = 0;
    bool stopPending_ = false;
};

enum class LibraryCheckResult : int { Present = 0, NotLoaded = 1, NoExport = 2 };

// ---- payload writing and reading
class Writer {
public:
    explicit Writer(Op op) { bytes_.push_back(static_cast<char>(op)); }
    Writer& number(int v);
    Writer& text(std::string_view s);
    const std::string& payload() const { return bytes_; }

private:
    std::string bytes_;
};

// Reads a payload; every read past its end, or a text longer than what is left, sets failed().
class Reader {
public:
    explicit Reader(std::string_view payload) : data_(payload) {}
    Reader(std::string&&) = delete;  // it keeps a view: the payload must outlive it
    Op op();
    int number();
    std::string text();
    bool failed() const { return failed_; }
    // True when everything was read and nothing is left over.
    bool complete() const { return !failed_ && pos_ == data_.size(); }
    std::size_t left() const { return data_.size() - pos_; }

private:
    bool take(std::size_t n);
    std::string_view data_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

// The frame of a payload (length prefix and payload), the prefix alone, and the length read from
// a frame's header.
std::string framed(std::string_view payload);
std::string frameHeader(std::string_view payload);
std::uint32_t frameLength(const unsigned char header[4]);

// Builds a batch reply (layout: docs/bridge-protocol.md) as NVRead's results come, straight into
// `payload`, whose buffer is kept from the reply before: the records of a download are never held
// apart from the reply they go out in.
class BatchReplyWriter {
public:
    explicit BatchReplyWriter(std::string& payload);
    // True while the current file has not ended and carries that name.
    bool inFile(std::string_view name) const { return open_ && name_ == name; }
    void startFile(std::string_view name);
    void record(int code, std::string_view bytes);  // into the current file
    void boundary();                                // ends the current file
    // Ends the reply: the payload is complete.
    void finish(int stop, std::string_view stopName);
    // The reply's bytes as the batch's byte limit counts them: 12 and its name a file, 8 and its
    // bytes a record.
    std::size_t counted() const { return counted_; }

private:
    void endFile(int boundary);
    std::string& payload_;
    std::string name_;
    std::size_t countAt_ = 0, counted_ = 0;  // countAt_: where the current file's record count goes
    int records_ = 0, files_ = 0;
    bool open_ = false;
};

// ---- request and reply payloads, as both sides build and read them
std::string helloRequest();
std::string helloReply(const Hello& hello);
std::optional<Hello> parseHello(std::string_view payload);

// A control operation: its in arguments taken from `args` (one Value per letter of op.args).
std::string callRequest(const Operation& op, const std::vector<Value>& args);
// Fills the in arguments of `args` (sized to op.args) from a request; false when malformed.
bool parseCallRequest(const Operation& op, Reader& in, std::vector<Value>& args);
std::string callReply(const Operation& op, int result, const std::vector<Value>& args);
// Fills the result and the out arguments of `args`; false when malformed or for another op.
bool parseCallReply(const Operation& op, std::string_view payload, int& result, std::vector<Value>& args);

std::string batchRequest(const BatchRequest& request);
std::string batchReply(const Batch& batch);
// Null for a broken reply, and for one that would hand out nothing (no records, no boundary and no
// stop for the caller): a bridge answering so would be asked again and again.
std::optional<Batch> parseBatchReply(std::string_view payload);

std::string libraryCheckRequest(const std::string& library);
std::string libraryCheckReply(LibraryCheckResult result);
std::optional<LibraryCheckResult> parseLibraryCheckReply(std::string_view payload);

std::string refusedReply(const std::string& why);

}  // namespace vex::bridge
