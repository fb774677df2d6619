#pragma once

// Read track as its callers run it, for the tests that look at what it does on the wire and
// on disk: the start (the information request and its checks), then the download into the
// file a user would have chosen.

#include <string>

#include "logger/track_download.h"

inline stravener::OperationResult ReadTrackInto(stravener::PortConnection& connection, stravener::Host& host,
                                                const std::string& path, stravener::TrackReadSummary* summary = nullptr,
                                                const stravener::TrackReadOptions& options = {}) {
  const stravener::TrackReadStart start = stravener::PrepareTrackRead(connection, host);
  if (start.result != stravener::OperationResult::Done) return start.result;
  return stravener::ReadTrack(connection, host, start.info, path, summary, options);
}
