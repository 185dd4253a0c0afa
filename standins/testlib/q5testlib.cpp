// Exports for the loader's tests: one function and one variable.
extern "C" {

__attribute__((visibility("default"))) int q5testlib_answer(int x) { return x + 42; }

__attribute__((visibility("default"))) int q5testlib_counter = 7;
}
