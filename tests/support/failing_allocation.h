// Simulated allocation failures: a test program that links failing_allocation.cpp replaces the
// global operator new so that a chosen allocation throws std::bad_alloc.
#pragma once

#include <cstddef>
#include <exception>
#include <vector>

namespace kmctest {

// While alive, the `n`-th allocation through operator new from now on (1: the next one) throws
// std::bad_alloc; the allocations after it succeed again.
class FailingAllocation {
public:
    explicit FailingAllocation(size_t n);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    // Whether the chosen allocation has been reached (and failed).
    bool Failed() const;
};

// Runs `call` again and again with its first, second, third ... allocation failing, until a run
// makes fewer allocations than that, and returns what each run that met a failure raised (null
// for a run that succeeded all the same). What a run raised is captured without allocating, so
// only `call` itself meets the failure.
template <class Call>
std::vector<std::exception_ptr> FailuresWithEachAllocationFailing(Call call) {
    std::vector<std::exception_ptr> failures;
    for (size_t n = 1;; ++n) {
        std::exception_ptr raised;
        bool failed = false;
        {
            FailingAllocation failing(n);
            try {
                call();
            } catch (...) {
                raised = std::current_exception();
            }
            failed = failing.Failed();
        }
        if (!failed) return failures;
        failures.push_back(raised);
    }
}

}  // namespace kmctest
