#include "DownloadFlights.h"

#include "OutBuf.h"

class DownloadFlights::Flight {
 public:
  std::mutex lock;
  std::condition_variable landed;
  int followers = 0;  // guarded by the registry's lock
  std::shared_ptr<const Outcome> outcome;  // guarded by `lock`
};

DownloadFlights::Ticket DownloadFlights::Join(const std::string& name) {
  std::shared_ptr<Flight> flight;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_flights.find(name);
    if (found == m_flights.end()) {
      flight = std::make_shared<Flight>();
      m_flights.emplace(name, flight);
      return Ticket(*this, name, flight, true, nullptr);
    }
    flight = found->second;
    ++flight->followers;
  }
  std::unique_lock<std::mutex> wait(flight->lock);
  flight->landed.wait(wait, [&] { return flight->outcome != nullptr; });
  return Ticket(*this, name, flight, false, flight->outcome);
}

DownloadFlights::Ticket::Ticket(DownloadFlights& flights, std::string name, std::shared_ptr<Flight> flight,
                                bool leads, std::shared_ptr<const Outcome> outcome)
    : m_flights(flights),
      m_name(std::move(name)),
      m_flight(std::move(flight)),
      m_leads(leads),
      m_outcome(std::move(outcome)) {}

DownloadFlights::Ticket::~Ticket() {
  if (m_leads && m_flight) {
    COutBuf nothing;
    Finish(nothing, nullptr, false);
  }
}

void DownloadFlights::Ticket::Finish(const COutBuf& body, const std::string* replacedStatus, bool complete) {
  if (!m_leads || !m_flight) return;
  std::shared_ptr<Flight> flight = std::move(m_flight);
  int followers = 0;
  {
    // From here on a request for the name starts a flight of its own.
    std::lock_guard<std::mutex> hold(m_flights.m_lock);
    m_flights.m_flights.erase(m_name);
    followers = flight->followers;
  }
  auto outcome = std::make_shared<Outcome>();
  if (followers > 0) {
    outcome->body.assign(body.GetData() != nullptr ? body.GetData() : "", static_cast<size_t>(body.GetLength()));
    outcome->statusReplaced = replacedStatus != nullptr;
    if (replacedStatus != nullptr) outcome->status = *replacedStatus;
    outcome->complete = complete;
  }
  {
    std::lock_guard<std::mutex> hold(flight->lock);
    flight->outcome = std::move(outcome);
  }
  flight->landed.notify_all();
}
