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

std::string answerBatch(ControlHost& host, Reader& in) {
    BatchRequest r;
    r.bufferSize = in.number();
    r.maxRecords = in.number();
    r.maxBytes = in.number();
    if (!in.complete()) return refusedReply("malformed ReadBatch request");
    return batchReply(readBatch(host, r));
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

// The file of the batch a result of NVRead named `name` belongs to: the last one, unless that one
// has ended or has another name. `bytes` counts what a new file adds to the reply.
BatchFile& currentFile(Batch& batch, const std::string& name, std::size_t& bytes) {
    if (batch.files.empty() || batch.files.back().boundary || batch.files.back().name != name) {
        batch.files.push_back({name, {}, false});
        bytes += name.size() + 12;
    }
    return batch.files.back();
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
    Reader in(request);
    const Op op = in.op();
    if (in.failed()) return refusedReply("empty request");
    if (op == Op::Hello) return answerHello(host, in);
    // The library check only loads a library: it needs no control.
    if (op == Op::LibraryCheck) return answerLibraryCheck(host, in);
    if (!host.problem().empty()) return refusedReply("the control was not created: " + host.problem());
    if (op == Op::ReadBatch) return answerBatch(host, in);
    if (const Operation* control = controlOperation(op)) return callControl(host, *control, in);
    return refusedReply("unknown request " + std::to_string(static_cast<int>(op)));
}

Batch readBatch(ControlHost& host, const BatchRequest& request) {
    const Operation& read = *controlOperation(Op::NVRead);
    const int maxRecords = std::clamp(request.maxRecords, 1, kMaxBatchRecords);
    const std::size_t maxBytes = static_cast<std::size_t>(std::clamp(request.maxBytes, 1, kMaxBatchBytes));
    Batch batch;
    int records = 0;
    std::size_t bytes = 0;
    std::vector<Value> args(3);
    while (true) {
        args[0].text.clear();
        args[1].number = request.bufferSize;
        args[2].text.clear();  // as on Windows, each call starts with no name
        const int code = host.call(read, args);
        if (code <= 0 && code != -1) {
            batch.stop = code;
            batch.stopName = std::move(args[2].text);
            return batch;
        }
        BatchFile& file = currentFile(batch, args[2].text, bytes);
        if (code == -1) {
            file.boundary = true;
        } else {
            bytes += args[0].text.size() + 8;
            file.records.push_back({code, std::move(args[0].text)});
        }
        if (++records >= maxRecords || bytes >= maxBytes) {
            batch.stop = 1;
            return batch;
        }
    }
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

bool writeFrame(std::FILE* out, std::string_view payload) {
    const std::string frame = framed(payload);
    return std::fwrite(frame.data(), 1, frame.size(), out) == frame.size() && std::fflush(out) == 0;
}

int serve(std::FILE* in, std::FILE* out, ControlHost& host, const Options& options) {
    std::string request;
    while (true) {
        switch (readFrame(in, request)) {
            case FrameRead::End: return kExitInputEnded;
            case FrameRead::Broken: return kExitBrokenInput;
            case FrameRead::Ok: break;
        }
        const std::string reply = dispatch(host, request);
        if (options.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));
        if (!writeFrame(out, reply)) return kExitOutputFailed;
    }
}

}  // namespace vex::bridge
