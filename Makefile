# Entry points for newcomers and CI: each target installs what is missing first.
PRESET ?= default
BUILD_DIR = build$(if $(filter-out default,$(PRESET)),-$(PRESET))

.PHONY: setup build demo test clean

setup:
	@bash scripts/setup.sh

build: setup
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

demo: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/tesselon demo

test: build
	ctest --preset $(PRESET)

clean:
	rm -rf build build-asan build-tsan build-fuzz
