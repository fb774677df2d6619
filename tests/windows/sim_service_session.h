#pragma once

// The Windows test programs' end of stravener-sim-service (tests/windows/sim_service.cpp):
// a simulated logger, or a bare line, that the service runs natively and links as one of
// this program's COM ports. The service is found through STRAVENER_SIM_SERVICE_FILE, a
// file that holds its port on 127.0.0.1.

#include <cstdint>
#include <string>
#include <vector>

class SimServiceSession {
 public:
  SimServiceSession() = default;
  // Ends the session: the service stops the logger and removes its COM port.
  ~SimServiceSession();
  SimServiceSession(const SimServiceSession&) = delete;
  SimServiceSession& operator=(const SimServiceSession&) = delete;

  // Starts a simulated logger with the service's KEY=VALUE options, holding `track` as its
  // memory when it is not empty. Empty on success, else what went wrong.
  std::string StartLogger(const std::vector<std::string>& options = {}, const std::vector<uint8_t>& track = {});
  // Opens a bare line whose other end this session holds. Empty on success, else why not.
  std::string OpenLine();

  // The COM port number of the line (0 before a start).
  uint32_t ComNumber() const { return comNumber_; }

  // The bare line's other end.
  bool Send(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> Receive(size_t count, int timeoutMs = 1000);

  // The speed the program's side of the line runs at, 0 when unknown.
  uint32_t ToolSpeed();

  // The simulated logger's state.
  std::vector<uint8_t> UsedMemory();
  std::vector<uint8_t> InfoRecord();
  std::vector<uint8_t> ProgrammedImage();
  int SkipSetting();  // -1 when it cannot be asked
  std::string Mode();
  uint32_t FramesAnswered();

  // What went wrong in the last request, for the test's messages.
  const std::string& LastError() const { return lastError_; }

 private:
  bool Connect();
  // Sends a request (and bytes after it) and reads the answer line: true for "ok", with
  // what follows it in `answer`.
  bool Request(const std::string& line, std::string& answer, const std::vector<uint8_t>& bytes = {});
  std::vector<uint8_t> RequestBytes(const std::string& line);
  uint32_t RequestNumber(const std::string& line);
  // Receives what the service has sent into the buffer.
  bool Fill();
  bool ReadLine(std::string& line);
  bool ReadExactly(size_t count, std::vector<uint8_t>& bytes);
  std::string StartWith(const std::string& request, const std::vector<uint8_t>& track);

  uintptr_t socket_ = ~static_cast<uintptr_t>(0);
  std::string buffer_;
  uint32_t comNumber_ = 0;
  std::string lastError_;
};
