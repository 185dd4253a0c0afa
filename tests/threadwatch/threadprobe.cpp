// threadprobe: starts one thread and waits for it; the one-thread test runs it under the
// thread watch to show that the watch sees a thread where there is one. Exit code 0.
#include <thread>

int main() {
  int ran = 0;
  std::thread([&ran] { ran = 1; }).join();
  return ran == 1 ? 0 : 1;
}
