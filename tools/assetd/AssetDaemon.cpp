#include "AssetDaemon.h"

#include <csignal>
#include <vector>

AssetDaemon::AssetDaemon(CGenericServer& responder, const TransportLimits& limits, int workers, int ioThreads,
                         bool verbose)
    : m_workers(static_cast<size_t>(workers)),
      m_maxConnections(limits.maxConnections),
      m_acceptor(m_io),
      m_signals(m_io, SIGINT, SIGTERM),
      m_retryTimer(m_io),
      m_graceTimer(m_io) {
  for (int i = 0; i < ioThreads; ++i) {
    m_lanes.push_back(std::make_unique<Lane>(m_workers, responder, limits, verbose));
    // A closed connection leaves the list on the main thread.
    m_lanes.back()->context.onClosed = [this](Connection* connection) {
      asio::post(m_io, [this, connection] { OnConnectionClosed(connection); });
    };
  }
#ifdef SIGBREAK
  // Ctrl+Break, the console event that can be sent to another process group.
  asio::error_code ignored;
  m_signals.add(SIGBREAK, ignored);
#endif
}

AssetDaemon::~AssetDaemon() {
  m_connections.clear();
  for (auto& lane : m_lanes) {
    lane->io.stop();
    if (lane->thread.joinable()) lane->thread.join();
  }
  m_workers.join();
}

bool AssetDaemon::Listen(const std::string& address, int port, std::string* error) {
  asio::error_code failure;
  asio::ip::address ip = asio::ip::make_address(address, failure);
  if (failure) {
    *error = "not an IP address: " + address;
    return false;
  }
  // The responder fetches any path from the CDN for whoever asks: keep it
  // to this machine.
  if (!ip.is_loopback()) {
    *error = "not a loopback address: " + address;
    return false;
  }
  asio::ip::tcp::endpoint endpoint(ip, static_cast<unsigned short>(port));
  m_acceptor.open(endpoint.protocol(), failure);
#ifndef _WIN32
  // On Windows this option would let another program share the port.
  if (!failure) m_acceptor.set_option(asio::socket_base::reuse_address(true), failure);
#endif
  if (!failure) m_acceptor.bind(endpoint, failure);
  if (!failure) m_acceptor.listen(asio::socket_base::max_listen_connections, failure);
  if (failure) {
    *error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + failure.message();
    m_acceptor.close(failure);
    return false;
  }
  return true;
}

int AssetDaemon::Port() const {
  asio::error_code ignored;
  return m_acceptor.local_endpoint(ignored).port();
}

bool AssetDaemon::Run(std::chrono::milliseconds stopGrace) {
  m_stopGrace = stopGrace;
  using WorkGuard = asio::executor_work_guard<asio::io_context::executor_type>;
  std::vector<WorkGuard> keepRunning;
  for (auto& lane : m_lanes) {
    keepRunning.push_back(asio::make_work_guard(lane->io));
    Lane* running = lane.get();
    lane->thread = std::thread([running] { running->io.run(); });
  }
  m_signals.async_wait([this](const asio::error_code& error, int) {
    if (!error) BeginStop();
  });
  Accept();
  m_io.run();
  if (!m_clean) return false;
  // Every connection has closed: the lanes have nothing left to run.
  keepRunning.clear();
  for (auto& lane : m_lanes) lane->thread.join();
  m_workers.join();
  return true;
}

void AssetDaemon::AnswerAtOnceWhen(std::function<bool(const std::string& request)> probe) {
  for (auto& lane : m_lanes) lane->context.answersAtOnce = probe;
}

void AssetDaemon::Stop() {
  asio::post(m_io, [this] { BeginStop(); });
}

void AssetDaemon::Accept() {
  if (m_stopping || m_accepting || !m_acceptor.is_open()) return;
  if (m_connections.size() >= static_cast<size_t>(m_maxConnections)) return;
  m_accepting = true;
  Lane& lane = *m_lanes[m_nextLane++ % m_lanes.size()];
  m_acceptor.async_accept(lane.io, [this, &lane](const asio::error_code& error, asio::ip::tcp::socket socket) {
    m_accepting = false;
    if (m_stopping) return;
    if (error) {
      // Out of descriptors or the like: try again shortly rather than spin.
      m_retryTimer.expires_after(std::chrono::milliseconds(100));
      m_retryTimer.async_wait([this](const asio::error_code& cancelled) {
        if (!cancelled) Accept();
      });
      return;
    }
    asio::error_code ignored;
    socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    auto connection = std::make_shared<Connection>(std::move(socket), lane.context);
    m_connections[connection.get()] = connection;
    asio::post(lane.io, [connection] { connection->Start(); });
    Accept();
  });
}

void AssetDaemon::OnConnectionClosed(Connection* connection) {
  m_connections.erase(connection);
  if (m_stopping) {
    FinishIfIdle();
  } else {
    Accept();  // a place is free again
  }
}

void AssetDaemon::BeginStop() {
  if (m_stopping) return;
  m_stopping = true;
  asio::error_code ignored;
  m_signals.cancel(ignored);
  m_acceptor.close(ignored);
  m_retryTimer.cancel();
  std::vector<std::shared_ptr<Connection>> connections;
  for (auto& entry : m_connections) connections.push_back(entry.second);
  for (auto& connection : connections) {
    asio::post(connection->Executor(), [connection] { connection->Stop(); });
  }
  m_graceTimer.expires_after(m_stopGrace);
  m_graceTimer.async_wait([this](const asio::error_code& error) {
    if (error || m_finished) return;
    m_clean = false;
    m_finished = true;
    m_io.stop();
  });
  FinishIfIdle();
}

void AssetDaemon::FinishIfIdle() {
  if (m_finished || !m_connections.empty()) return;
  m_finished = true;
  m_graceTimer.cancel();
  m_io.stop();
}
