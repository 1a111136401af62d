#include "bench/InstrumentLink.h"

namespace sim {

void InstrumentLink::write(const QByteArray &bytes, bool end) {
  partial_ += bytes;
  int start = 0;
  for (int lf = partial_.indexOf('\n'); lf >= 0; lf = partial_.indexOf('\n', start)) {
    deliver(partial_.mid(start, lf - start));
    start = lf + 1;
  }
  partial_.remove(0, start);
  if (end && !partial_.isEmpty()) {
    deliver(partial_);
    partial_.clear();
  }
}

void InstrumentLink::deliver(const QByteArray &message) {
  if (lan_ && message == "&GTL")
    instrument_.goToLocal();
  else
    instrument_.receive(message);
}

bool InstrumentLink::hasOutput() {
  if (instrument_.outputQueue().isEmpty())
    instrument_.addressedToTalk();
  return !instrument_.outputQueue().isEmpty();
}

QByteArray InstrumentLink::take(size_t max, int termChar, bool &end, bool &atTermChar) {
  QByteArray &queue = instrument_.outputQueue();
  size_t n = std::min(max, size_t(queue.size()));
  atTermChar = false;
  if (termChar >= 0) {
    const int term = queue.left(int(n)).indexOf(char(termChar));
    if (term >= 0) {
      n = size_t(term) + 1;
      atTermChar = true;
    }
  }
  const QByteArray bytes = queue.left(int(n));
  queue.remove(0, int(n));
  end = queue.isEmpty();
  return bytes;
}

void InstrumentLink::clear() {
  partial_.clear();
  instrument_.deviceClear();
}

}  // namespace sim
