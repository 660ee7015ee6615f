#pragma once
// velmora-assetd's server: serves a CGenericServer over TCP. The main thread
// accepts, keeps the list of connections and handles signals; each
// connection lives on one of a few I/O threads ("lanes"), which run its
// sockets and timers. A bounded pool of workers runs the responder for
// requests that may block for a whole CDN download. Connections beyond the
// cap wait in the listen backlog.

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AsioConfig.h"
#include "Connection.h"

class AssetDaemon {
 public:
  AssetDaemon(CGenericServer& responder, const TransportLimits& limits, int workers, int ioThreads,
              bool verbose);
  ~AssetDaemon();

  // Listens on a loopback address; false with a message otherwise.
  bool Listen(const std::string& address, int port, std::string* error);
  int Port() const;

  // Serves until Ctrl+C, SIGTERM or Stop(). True when every connection had
  // finished within the grace period; false when some were still busy
  // (a download under way), and the caller should exit without waiting.
  bool Run(std::chrono::milliseconds stopGrace = std::chrono::milliseconds(10000));
  // Safe from any thread.
  void Stop();
  // Lets the I/O thread answer the requests `probe` accepts itself, sparing
  // them the trip through a worker. Call before Run.
  void AnswerAtOnceWhen(std::function<bool(const std::string& request)> probe);

 private:
  // One I/O thread and the connections it serves.
  struct Lane {
    Lane(asio::thread_pool& workers, CGenericServer& responder, const TransportLimits& limits, bool verbose)
        : context{io, workers, responder, limits, verbose, nullptr, nullptr} {}
    asio::io_context io;
    ServingContext context;
    std::thread thread;
  };

  void Accept();
  void OnConnectionClosed(Connection* connection);
  void BeginStop();
  void FinishIfIdle();

  asio::io_context m_io;  // first: destroyed after everything bound to it
  asio::thread_pool m_workers;
  std::vector<std::unique_ptr<Lane>> m_lanes;
  size_t m_nextLane = 0;
  int m_maxConnections;
  asio::ip::tcp::acceptor m_acceptor;
  asio::signal_set m_signals;
  asio::steady_timer m_retryTimer;
  asio::steady_timer m_graceTimer;
  std::chrono::milliseconds m_stopGrace{10000};
  std::map<Connection*, std::shared_ptr<Connection>> m_connections;
  bool m_accepting = false;
  bool m_stopping = false;
  bool m_finished = false;
  bool m_clean = true;
};
