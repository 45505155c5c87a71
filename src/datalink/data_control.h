#pragma once
// The data service's client control: every race record and every bet passes through these
// operations. Records and texts are CP932 bytes. Results are the control's integer codes
// (0 success; negative failure for data operations; see result messages).
#include <string>

namespace vex {

// The software identifier both programs pass to NVInit, and the version shown by the program.
// VEXMORA_VERSION is the project version of the build.
inline constexpr const char* kProgramVersion = "Version." VEXMORA_VERSION;
inline constexpr const char* kSoftwareId = "SA503917/SD418260/Vexmora/Version." VEXMORA_VERSION;

// Codes of a control that runs in another process (the bridge): the call did not reach the
// service, or its answer did not come back. They lie below every code the service answers itself.
namespace link {
inline constexpr int kNotStarted = -9001;  // the bridge could not be started
inline constexpr int kNoReply = -9002;     // no reply within the deadline
inline constexpr int kEnded = -9003;       // the bridge ended
inline constexpr int kMalformed = -9004;   // a malformed or oversized reply, or a refused request
inline constexpr int kRefused = -9005;     // the control's dispatch interface refused the call
inline constexpr int kBetUnknown = -9006;  // RakutenBet sent, its answer lost: the bet may stand
inline bool isLinkFailure(int code) { return code <= kNotStarted && code >= kBetUnknown; }
}  // namespace link

class DataControl {
public:
    virtual ~DataControl() = default;

    virtual int NVInit(const std::string& softwareId) = 0;
    // Opens the control's own settings dialog; 0 when it was completed.
    virtual int NVSetUIProperties() = 0;
    // dataSpec "RACEDIFF", fromTime "yyyymmddhhnnss", option always 1. 0 opened, -1 no new data.
    virtual int NVOpen(const std::string& dataSpec, const std::string& fromTime, int option, int& readCount,
                       int& downloadCount, std::string& lastFileTimestamp) = 0;
    // >= 0 files downloaded so far; < 0 error.
    virtual int NVStatus() = 0;
    // > 0 one record (ends CR LF) in `record`; 0 end of data; -1 file boundary; -2, -3 call again;
    // < -3 error. `bufferSize` is the caller's buffer size (a record longer than it is cut).
    virtual int NVRead(std::string& record, int& bufferSize, std::string& fileName) = 0;
    // dataSpec "0B30" with a 16-character race key, or "0B12" with an 8-character date.
    virtual int NVRTOpen(const std::string& dataSpec, const std::string& key) = 0;
    virtual int NVCancel() = 0;
    virtual int NVClose() = 0;

    virtual int RakutenLogin(const std::string& userId, const std::string& password) = 0;
    virtual int RakutenLogout() = 0;
    // betLines: the 90-character bet lines, concatenated; mode always 1.
    virtual int RakutenBet(const std::string& pin, const std::string& betLines, int mode, int& purchaseAmount,
                           int& remainingVotes, int& purchaseLimit, std::string& resultText) = 0;
    // text is always empty.
    virtual int RakutenZandaka(int& purchaseLimit, int& boughtToday, int& paidOutToday, int& remainingVotes,
                               const std::string& text) = 0;
    virtual int RakutenDeposit() = 0;
};

}  // namespace vex
