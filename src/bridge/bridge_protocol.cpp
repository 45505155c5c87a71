#include "bridge/bridge_protocol.h"

namespace vex::bridge {

namespace {

bool isIn(char kind) { return kind == 't' || kind == 'n' || kind == 'B'; }
bool isOut(char kind) { return kind == 'T' || kind == 'N' || kind == 'B'; }
bool isText(char kind) { return kind == 't' || kind == 'T'; }

void appendLe32(std::string& out, std::uint32_t u) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

// A reader of a reply payload that must start with `op`.
bool startsWith(Reader& in, Op op) { return in.op() == op && !in.failed(); }

}  // namespace

const std::vector<Operation>& controlOperations() {
    static const std::vector<Operation> all = {
        {Op::NVInit, "NVInit", "t"},
        {Op::NVSetUIProperties, "NVSetUIProperties", ""},
        {Op::NVOpen, "NVOpen", "ttnNNT"},
        {Op::NVStatus, "NVStatus", ""},
        {Op::NVRead, "NVRead", "TBT"},
        {Op::NVRTOpen, "NVRTOpen", "tt"},
        {Op::NVCancel, "NVCancel", ""},
        {Op::NVClose, "NVClose", ""},
        {Op::RakutenLogin, "RakutenLogin", "tt"},
        {Op::RakutenLogout, "RakutenLogout", ""},
        {Op::RakutenBet, "RakutenBet", "ttnNNNT"},
        {Op::RakutenZandaka, "RakutenZandaka", "NNNNt"},
        {Op::RakutenDeposit, "RakutenDeposit", ""},
    };
    return all;
}

const Operation* controlOperation(Op op) {
    for (const Operation& o : controlOperations())
        if (o.op == op) return &o;
    return nullptr;
}

const Operation* controlOperation(std::string_view name) {
    for (const Operation& o : controlOperations())
        if (name == o.name) return &o;
    return nullptr;
}

Writer& Writer::number(int v) {
    appendLe32(bytes_, static_cast<std::uint32_t>(v));
    return *this;
}

Writer& Writer::text(std::string_view s) {
    number(static_cast<int>(s.size()));
    bytes_.append(s);
    return *this;
}

bool Reader::take(std::size_t n) {
    if (failed_ || data_.size() - pos_ < n) {
        failed_ = true;
        return false;
    }
    return true;
}

Op Reader::op() {
    if (!take(1)) return Op::Refused;
    return static_cast<Op>(static_cast<unsigned char>(data_[pos_++]));
}

int Reader::number() {
    if (!take(4)) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
    pos_ += 4;
    return static_cast<int>(frameLength(p));
}

std::string Reader::text() {
    const auto size = static_cast<std::uint32_t>(number());
    if (!take(size)) return {};
    std::string s(data_.substr(pos_, size));
    pos_ += size;
    return s;
}

std::string framed(std::string_view payload) {
    std::string frame;
    frame.reserve(payload.size() + 4);
    appendLe32(frame, static_cast<std::uint32_t>(payload.size()));
    frame.append(payload);
    return frame;
}

std::string frameHeader(std::string_view payload) {
    std::string header;
    appendLe32(header, static_cast<std::uint32_t>(payload.size()));
    return header;
}

std::uint32_t frameLength(const unsigned char header[4]) {
    return static_cast<std::uint32_t>(header[0]) | static_cast<std::uint32_t>(header[1]) << 8 |
           static_cast<std::uint32_t>(header[2]) << 16 | static_cast<std::uint32_t>(header[3]) << 24;
}

std::string helloRequest() { return Writer(Op::Hello).number(kProtocolVersion).payload(); }

std::string helloReply(const Hello& hello) {
    return Writer(Op::Hello)
        .number(hello.protocolVersion)
        .text(hello.bridgeVersion)
        .number(hello.controlCreated ? 1 : 0)
        .text(hello.problem)
        .payload();
}

std::optional<Hello> parseHello(std::string_view payload) {
    Reader in(payload);
    if (!startsWith(in, Op::Hello)) return std::nullopt;
    Hello h;
    h.protocolVersion = in.number();
    h.bridgeVersion = in.text();
    h.controlCreated = in.number() != 0;
    h.problem = in.text();
    if (!in.complete()) return std::nullopt;
    return h;
}

std::string callRequest(const Operation& op, const std::vector<Value>& args) {
    Writer w(op.op);
    for (std::size_t i = 0; op.args[i]; ++i) {
        if (!isIn(op.args[i])) continue;
        if (isText(op.args[i])) w.text(args[i].text);
        else w.number(args[i].number);
    }
    return w.payload();
}

bool parseCallRequest(const Operation& op, Reader& in, std::vector<Value>& args) {
    args.assign(std::string_view(op.args).size(), Value{});
    for (std::size_t i = 0; op.args[i]; ++i) {
        if (!isIn(op.args[i])) continue;
        if (isText(op.args[i])) args[i].text = in.text();
        else args[i].number = in.number();
    }
    return in.complete();
}

std::string callReply(const Operation& op, int result, const std::vector<Value>& args) {
    Writer w(op.op);
    w.number(result);
    for (std::size_t i = 0; op.args[i]; ++i) {
        if (!isOut(op.args[i])) continue;
        if (isText(op.args[i])) w.text(args[i].text);
        else w.number(args[i].number);
    }
    return w.payload();
}

bool parseCallReply(const Operation& op, std::string_view payload, int& result, std::vector<Value>& args) {
    Reader in(payload);
    if (!startsWith(in, op.op)) return false;
    args.resize(std::string_view(op.args).size());
    result = in.number();
    for (std::size_t i = 0; op.args[i]; ++i) {
        if (!isOut(op.args[i])) continue;
        if (isText(op.args[i])) args[i].text = in.text();
        else args[i].number = in.number();
    }
    return in.complete();
}

std::string batchRequest(const BatchRequest& r) {
    return Writer(Op::ReadBatch).number(r.bufferSize).number(r.maxRecords).number(r.maxBytes).payload();
}

std::string batchReply(const Batch& batch) {
    std::string payload;
    BatchReplyWriter w(payload);
    for (const BatchFile& f : batch.files) {
        w.startFile(f.name);
        for (const Record& r : f.records) w.record(r.code, r.bytes);
        if (f.boundary) w.boundary();
    }
    w.finish(batch.stop, batch.stopName);
    return payload;
}

namespace {

void putLe32(std::string& out, std::size_t at, std::uint32_t u) {
    for (int shift = 0; shift < 32; shift += 8) out[at++] = static_cast<char>((u >> shift) & 0xFF);
}

void appendText(std::string& out, std::string_view s) {
    appendLe32(out, static_cast<std::uint32_t>(s.size()));
    out.append(s);
}

// Where the stop code, its file name and the file count sit: the first two are known only at the
// end, the count (and a file's record count) is written over when known.
constexpr std::size_t kStopAt = 1, kStopNameAt = 5, kFileCountAt = 9;

}  // namespace

BatchReplyWriter::BatchReplyWriter(std::string& payload) : payload_(payload) {
    payload_.assign(1, static_cast<char>(Op::ReadBatch));
    for (int field = 0; field < 3; ++field) appendLe32(payload_, 0);  // stop, empty stop name, file count
}

void BatchReplyWriter::startFile(std::string_view name) {
    endFile(0);
    appendText(payload_, name);
    countAt_ = payload_.size();
    appendLe32(payload_, 0);
    name_ = name;
    open_ = true;
    records_ = 0;
    ++files_;
    counted_ += 12 + name.size();
}

void BatchReplyWriter::record(int code, std::string_view bytes) {
    appendLe32(payload_, static_cast<std::uint32_t>(code));
    appendText(payload_, bytes);
    ++records_;
    counted_ += 8 + bytes.size();
}

void BatchReplyWriter::boundary() { endFile(1); }

void BatchReplyWriter::endFile(int boundary) {
    if (!open_) return;
    putLe32(payload_, countAt_, static_cast<std::uint32_t>(records_));
    appendLe32(payload_, static_cast<std::uint32_t>(boundary));
    open_ = false;
}

void BatchReplyWriter::finish(int stop, std::string_view stopName) {
    endFile(0);
    putLe32(payload_, kStopAt, static_cast<std::uint32_t>(stop));
    putLe32(payload_, kFileCountAt, static_cast<std::uint32_t>(files_));
    if (stopName.empty()) return;
    putLe32(payload_, kStopNameAt, static_cast<std::uint32_t>(stopName.size()));
    payload_.insert(kFileCountAt, stopName);  // rare (an end or an error): the move costs nothing
}

namespace {

// Each file takes at least 12 bytes and each record 8: a count beyond what is left is a broken
// frame, not a reason to reserve.
bool plausibleCount(int count, const Reader& in, std::size_t each) {
    return count >= 0 && static_cast<std::size_t>(count) <= in.left() / each;
}

// A file of a batch reply: records with a positive code, a boundary flag of 0 or 1, and at least
// one of the two.
bool readBatchFile(Reader& in, BatchFile& file) {
    file.name = in.text();
    const int count = in.number();
    if (!plausibleCount(count, in, 8)) return false;
    file.records.resize(static_cast<std::size_t>(count));
    for (Record& r : file.records) {
        r.code = in.number();
        r.bytes = in.text();
        if (r.code <= 0) return false;
    }
    const int boundary = in.number();
    file.boundary = boundary == 1;
    return !in.failed() && (boundary == 0 || boundary == 1) && (count > 0 || file.boundary);
}

}  // namespace

std::optional<Batch> parseBatchReply(std::string_view payload) {
    Reader in(payload);
    if (!startsWith(in, Op::ReadBatch)) return std::nullopt;
    Batch batch;
    batch.stop = in.number();
    batch.stopName = in.text();
    const int count = in.number();
    if (batch.stop > 1 || !plausibleCount(count, in, 12)) return std::nullopt;
    batch.files.resize(static_cast<std::size_t>(count));
    for (BatchFile& f : batch.files)
        if (!readBatchFile(in, f)) return std::nullopt;
    if (!in.complete() || (batch.stop == 1 && batch.files.empty())) return std::nullopt;
    return batch;
}

std::optional<int> BatchCursor::next(std::string& record, std::string& fileName) {
    for (; file_ < batch_.files.size(); ++file_, record_ = 0) {
        BatchFile& f = batch_.files[file_];
        if (record_ < f.records.size()) {
            Record& r = f.records[record_++];
            record = std::move(r.bytes);
            fileName = f.name;
            return r.code;
        }
        if (f.boundary && record_++ == f.records.size()) {
            record.clear();
            fileName = f.name;
            return -1;
        }
    }
    if (!stopPending_) return std::nullopt;
    stopPending_ = false;
    record.clear();
    fileName = batch_.stopName;
    return batch_.stop;
}

std::string libraryCheckRequest(const std::string& library) {
    return Writer(Op::LibraryCheck).text(library).payload();
}

std::string libraryCheckReply(LibraryCheckResult result) {
    return Writer(Op::LibraryCheck).number(static_cast<int>(result)).payload();
}

std::optional<LibraryCheckResult> parseLibraryCheckReply(std::string_view payload) {
    Reader in(payload);
    if (!startsWith(in, Op::LibraryCheck)) return std::nullopt;
    const int result = in.number();
    if (!in.complete() || result < 0 || result > 2) return std::nullopt;
    return static_cast<LibraryCheckResult>(result);
}

std::string refusedReply(const std::string& why) { return Writer(Op::Refused).text(why).payload(); }

}  // namespace vex::bridge
