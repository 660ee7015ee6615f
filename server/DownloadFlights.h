#pragma once
// One download per cache name at a time. The first request that misses the
// cache for a name leads: it downloads, and hands its outcome to every
// request for the same name that arrived meanwhile and waited for it.

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class COutBuf;

class DownloadFlights {
 public:
  // What the waiting requests are answered from: the body, the status text
  // when the CDN's replaced the request's own, and whether it is complete.
  struct Outcome {
    std::string body;
    bool statusReplaced = false;
    std::string status;
    bool complete = false;
  };

  class Flight;

  // A place in the flight for `name`. The leader must Finish it; a
  // follower's outcome is ready when Join returns.
  class Ticket {
   public:
    Ticket(DownloadFlights& flights, std::string name, std::shared_ptr<Flight> flight, bool leads,
           std::shared_ptr<const Outcome> outcome);
    ~Ticket();  // a leader that never finished leaves its followers an empty, incomplete outcome
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    Ticket(Ticket&&) = default;

    bool Leads() const { return m_leads; }
    // The followers' answer; only for a ticket that does not lead.
    const Outcome& Result() const { return *m_outcome; }
    // The leader's outcome, handed to every follower (copied only if any).
    void Finish(const COutBuf& body, const std::string* replacedStatus, bool complete);

   private:
    DownloadFlights& m_flights;
    std::string m_name;
    std::shared_ptr<Flight> m_flight;
    bool m_leads;
    std::shared_ptr<const Outcome> m_outcome;
  };

  // Leads the flight for `name`, or waits for the one under way and
  // returns a ticket holding its outcome.
  Ticket Join(const std::string& name);

 private:
  std::mutex m_lock;
  std::map<std::string, std::shared_ptr<Flight>> m_flights;
};
