# The two commands a new user needs: `make run` and `make test`.
BUILD      ?= build
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
SOAK_SECONDS ?= 600
# Warnings are errors in CI and for developers (TASKWYN_WERROR=ON); a user's first build must not
# fail because a newer compiler warns about something new.
TASKWYN_WERROR ?= OFF
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTASKWYN_WERROR=$(TASKWYN_WERROR) -DTASKWYN_BENCH=ON

.PHONY: run test soak bench fuzz package deps build clean FORCE

deps:
	@sh tools/install-deps.sh

# Rewritten only when the flags differ, so that a change of flags reconfigures the build.
$(BUILD)/cmake-flags: FORCE
	@mkdir -p $(BUILD)
	@echo '$(CMAKE_FLAGS)' | cmp -s - $@ || echo '$(CMAKE_FLAGS)' > $@

$(BUILD)/build.ninja: $(BUILD)/cmake-flags | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	./$(BUILD)/app/taskwyn

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The randomised sync tests with fresh seeds till SOAK_SECONDS are up; a seed that fails belongs in
# their fixed list.
soak: build
	@end=$$(( $$(date +%s) + $(SOAK_SECONDS) )); while [ $$(date +%s) -lt $$end ]; do \
	    seed=$$(od -An -N4 -tu4 /dev/urandom | tr -d ' '); echo "seed $$seed"; \
	    TASKWYN_SEED=$$seed QT_QPA_PLATFORM=offscreen ./$(BUILD)/sync/tests/syncengine_test --gtest_brief=1 \
	        --gtest_filter='Seeds/*' || { echo "failed with seed $$seed"; exit 1; }; \
	done

bench: build
	cmake --build $(BUILD) --target benchmarks
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && QT_QPA_PLATFORM=offscreen "$$b"; done

# taskwyn_<version>_<arch>.deb in the build folder, for `apt install ./taskwyn_*.deb`.
package: build
	cmake --build $(BUILD) --target package

fuzz:
	@sh tools/install-deps.sh fuzz
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DTASKWYN_FUZZ=ON -DTASKWYN_GUI=OFF -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) --target taskfile_fuzzer calendar_fuzzer
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/calendar-corpus
	./$(FUZZ_BUILD)/store/fuzz/taskfile_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -artifact_prefix=$(FUZZ_BUILD)/ \
	    $(FUZZ_BUILD)/corpus store/fuzz/corpus
	./$(FUZZ_BUILD)/ical/fuzz/calendar_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -artifact_prefix=$(FUZZ_BUILD)/ \
	    $(FUZZ_BUILD)/calendar-corpus ical/fuzz/corpus

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
