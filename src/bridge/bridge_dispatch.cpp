#include "bridge/bridge_dispatch.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace vex::bridge {

namespace {

std::string callControl(ControlHost& host, const Operation& op, Reader& in) {
    std::vector<Value> args;
    if (!parseCallRequest(op, in, args)) return refusedReply(std::string("malformed ") + op.name + " request");
    const int result = host.call(op, args);
    return callReply(op, result, args);
}

void answerBatch(ControlHost& host, Reader& in, std::string& reply) {
    BatchRequest r;
    r.bufferSize = in.number();
    r.maxRecords = in.number();
    r.maxBytes = in.number();
    if (!in.complete()) reply.assign(refusedReply("malformed ReadBatch request"));
    else readBatch(host, r, reply);
}

std::string answerLibraryCheck(ControlHost& host, Reader& in) {
    const std::string library = in.text();
    if (!in.complete()) return refusedReply("malformed LibraryCheck request");
    return libraryCheckReply(host.checkLibrary(library));
}

std::string answerHello(ControlHost& host, Reader& in) {
    in.number();  // the caller's protocol version: the caller decides whether ours will do
    Hello h;
    h.protocolVersion = kProtocolVersion;
    h.bridgeVersion = kBridgeVersion;
    h.problem = host.problem();
    h.controlCreated = h.problem.empty();
    return helloReply(h);
}

// Every reply but the batch's.
std::string answer(ControlHost& host, Op op, Reader& in) {
    if (in.failed()) return refusedReply("empty request");
    if (op == Op::Hello) return answerHello(host, in);
    // The library check only loads a library: it needs no control.
    if (op == Op::LibraryCheck) return answerLibraryCheck(host, in);
    if (!host.problem().empty()) return refusedReply("the control was not created: " + host.problem());
    if (const Operation* control = controlOperation(op)) return callControl(host, *control, in);
    return refusedReply("unknown request " + std::to_string(static_cast<int>(op)));
}

}  // namespace

std::optional<Options> parseOptions(int argc, const char* const* argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg != "--delay-ms" || i + 1 >= argc) return std::nullopt;
        char* end = nullptr;
        const long ms = std::strtol(argv[++i], &end, 10);
        if (*end || ms < 0 || ms > 60000) return std::nullopt;
        o.delayMs = static_cast<int>(ms);
    }
    return o;
}

std::string dispatch(ControlHost& host, std::string_view request) {
    std::string reply;
    dispatch(host, request, reply);
    return reply;
}

void dispatch(ControlHost& host, std::string_view request, std::string& reply) {
    Reader in(request);
    const Op op = in.op();
    if (op == Op::ReadBatch && host.problem().empty()) return answerBatch(host, in, reply);
    reply.assign(answer(host, op, in));  // into the buffer the batches keep
}

void readBatch(ControlHost& host, const BatchRequest& request, std::string& reply) {
    const Operation& read = *controlOperation(Op::NVRead);
    const int maxRecords = std::clamp(request.maxRecords, 1, kMaxBatchRecords);
    const std::size_t maxBytes = static_cast<std::size_t>(std::clamp(request.maxBytes, 1, kMaxBatchBytes));
    BatchReplyWriter out(reply);
    std::vector<Value> args(3);  // kept: its texts' buffers serve every call
    for (int records = 0;;) {
        args[0].text.clear();
        args[1].number = request.bufferSize;
        args[2].text.clear();  // as on Windows, each call starts with no name
        const int code = host.call(read, args);
        if (code <= 0 && code != -1) return out.finish(code, args[2].text);
        // A new file after a boundary, or when NVRead names another one.
        if (!out.inFile(args[2].text)) out.startFile(args[2].text);
        if (code == -1) out.boundary();
        else out.record(code, args[0].text);
        if (++records >= maxRecords || out.counted() >= maxBytes) return out.finish(1, {});
    }
}

Batch readBatch(ControlHost& host, const BatchRequest& request) {
    std::string reply;
    readBatch(host, request, reply);
    return parseBatchReply(reply).value();
}

FrameRead readFrame(std::FILE* in, std::string& payload) {
    unsigned char header[4];
    const std::size_t got = std::fread(header, 1, 4, in);
    if (got == 0) return FrameRead::End;
    if (got < 4) return FrameRead::Broken;
    const std::uint32_t size = frameLength(header);
    if (size == 0 || size > kMaxRequestBytes) return FrameRead::Broken;
    payload.resize(size);
    return std::fread(payload.data(), 1, size, in) == size ? FrameRead::Ok : FrameRead::Broken;
}

// The payload goes out as it is: a batch's is megabytes, not worth a copy behind its header.
bool writeFrame(std::FILE* out, std::string_view payload) {
    const std::string header = frameHeader(payload);
    return std::fwrite(header.data(), 1, header.size(), out) == header.size() &&
           std::fwrite(payload.data(), 1, payload.size(), out) == payload.size() && std::fflush(out) == 0;
}

int serve(std::FILE* in, std::FILE* out, ControlHost& host, const Options& options) {
    std::string request, reply;
    while (true) {
        switch (readFrame(in, request)) {
            case FrameRead::End: return kExitInputEnded;
            case FrameRead::Broken: return kExitBrokenInput;
            case FrameRead::Ok: break;
        }
        dispatch(host, request, reply);
        if (options.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));
        if (!writeFrame(out, reply)) return kExitOutputFailed;
    }
}

}  // namespace vex::bridge
