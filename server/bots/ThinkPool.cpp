#include "server/bots/ThinkPool.h"

#include <algorithm>
#include <system_error>

CThinkPool::CThinkPool(unsigned threads) {
  const unsigned n = std::max(threads, 1u);
  m_threads.reserve(n);
  // A thread the system refuses is done without: with none, Submit refuses and the table
  // decides on its own thread.
  for (unsigned i = 0; i < n; ++i) {
    try {
      m_threads.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;
    }
  }
}

CThinkPool::~CThinkPool() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stop = true;
    for (tagThought* thought : m_queue) thought->state = tagThought::State::Idle;
    m_queue.clear();
  }
  m_work.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

bool CThinkPool::Submit(tagThought& thought) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stop || m_threads.empty() || thought.bot == nullptr ||
        thought.state == tagThought::State::Queued || thought.state == tagThought::State::Running) {
      return false;
    }
    thought.state = tagThought::State::Queued;
    m_queue.push_back(&thought);
  }
  m_work.notify_one();
  return true;
}

tagThought::State CThinkPool::Poll(const tagThought& thought) {
  std::lock_guard<std::mutex> lock(m_lock);
  return thought.state;
}

void CThinkPool::Withdraw(tagThought& thought) {
  std::unique_lock<std::mutex> lock(m_lock);
  if (thought.state == tagThought::State::Queued) {
    m_queue.erase(std::find(m_queue.begin(), m_queue.end(), &thought));
    thought.state = tagThought::State::Idle;
  }
  m_done.wait(lock, [&] { return thought.state != tagThought::State::Running; });
}

void CThinkPool::Work() {
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    m_work.wait(lock, [this] { return m_stop || !m_queue.empty(); });
    if (m_stop) return;
    tagThought* thought = m_queue.front();
    m_queue.pop_front();
    thought->state = tagThought::State::Running;
    lock.unlock();
    const tagBotAction action = thought->bot->Decide(thought->view);
    lock.lock();
    thought->action = action;
    thought->state = tagThought::State::Done;
    m_done.notify_all();
  }
}
