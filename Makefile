# SPDX-License-Identifier: GPL-3.0-or-later
# Set-up and everyday commands; see README.md. Run as root on Debian 12:
# the first target installs whatever Debian packages are missing.

BUILD     ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
MINGW_BUILD ?= build-mingw
CLANG_BUILD ?= build-clang
REPRO_BUILD ?= build-repro
JOBS      ?= $(shell nproc)
ENGINES   := gssummar gsmidlim gsmeanci gsmeanc9 gscrowci gscrowc9 gsmean2s gsmean29 \
             gscrow2s gscrow29 gsmidtst gsmidts9 gsstoceq gsstoce9
PACKAGES  := cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev \
             xvfb xauth openbox xdotool x11-utils fonts-dejavu-core dpkg-dev lintian libboost-dev \
             appstream desktop-file-utils

.PHONY: deps build test test-sanitize test-tsan test-mingw test-clang run package clean \
        r-deps r-sources r-check r-install

# $(call install,<packages>): installs whichever of them are missing.
install = @missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

deps:
	$(call install,$(PACKAGES))

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTSK_BUILD_GUI=ON
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) r-check

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTSK_SANITIZE=ON -DTSK_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j$(JOBS)

# The tests of the runtime's replication shares and of the engines that run
# on several threads, with the engine programs their end-to-end tests start,
# built with ThreadSanitizer.
TSAN_TESTS := runtime_tests|gsmeanci_tests|gscrowci_tests|gsmean2s_tests|gscrow2s_tests|gsstoceq_tests|gsmidtst_tests
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTSK_SANITIZE_THREAD=ON \
	  -DTSK_BUILD_GUI=OFF -DTSK_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target $(subst |, ,$(TSAN_TESTS)) tskrun $(ENGINES)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j$(JOBS) -L '^($(TSAN_TESTS))$$'

# The analysis library and its own tests, as R builds packages on Windows
# and on macOS. For Windows: Debian's MinGW-w64 cross compiler, GoogleTest
# built with it from Debian's sources, and the tests run under Wine, in a
# prefix of the build's own and without a display.
MINGW_PACKAGES := cmake make g++-mingw-w64-x86-64-posix wine64 googletest libboost-dev
MINGW_WINE := env WINEPREFIX=$(CURDIR)/$(MINGW_BUILD)/wine WINEDEBUG=-all DISPLAY=
test-mingw:
	$(call install,$(MINGW_PACKAGES))
	cmake -S /usr/src/googletest -B $(MINGW_BUILD)/googletest -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake -DBUILD_GMOCK=OFF \
	  -DCMAKE_INSTALL_PREFIX=$(CURDIR)/$(MINGW_BUILD)/gtest
	cmake --build $(MINGW_BUILD)/googletest -j$(JOBS)
	cmake --install $(MINGW_BUILD)/googletest >/dev/null
	mkdir -p $(MINGW_BUILD)/boost && ln -sfn /usr/include/boost $(MINGW_BUILD)/boost/boost
	cmake -S . -B $(MINGW_BUILD) -DCMAKE_BUILD_TYPE=Release -DTSK_ANALYSES_ONLY=ON \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DGTest_DIR=$(CURDIR)/$(MINGW_BUILD)/gtest/lib/cmake/GTest \
	  -DBoost_NO_BOOST_CMAKE=ON -DBoost_INCLUDE_DIR=$(CURDIR)/$(MINGW_BUILD)/boost
	$(MINGW_WINE) wineboot --init
	cmake --build $(MINGW_BUILD) -j$(JOBS)
	cd $(MINGW_BUILD) && ctest --output-on-failure -j$(JOBS)

# For macOS: Clang, every warning an error.
test-clang:
	$(call install,cmake make clang libgtest-dev libboost-dev)
	cmake -S . -B $(CLANG_BUILD) -DCMAKE_BUILD_TYPE=Release -DTSK_ANALYSES_ONLY=ON \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-Werror
	cmake --build $(CLANG_BUILD) -j$(JOBS)
	cd $(CLANG_BUILD) && ctest --output-on-failure -j$(JOBS)

# A working directory with the delivered files, the example samples and the
# programs; the desktop program starts there. Without a display it says how
# to start it under Xvfb and runs the command-line job instead.
run: build
	mkdir -p run
	cp -n data/*.dat data/*.csv data/*.sys data/*.par run/ 2>/dev/null || true
	cp $(addprefix $(BUILD)/bin/,$(ENGINES) tskrun tskconvert) run/
	if [ -f $(BUILD)/bin/toskarn ]; then cp $(BUILD)/bin/toskarn run/; fi
	@cd run && if [ -x ./toskarn ] && [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then ./toskarn; else \
	  echo "No display found: start the desktop program with  cd run && xvfb-run -a ./toskarn"; \
	  echo "Descriptive statistics of the example samples:"; \
	  ./tskrun gssummar $$(ls *.dat); fi

# The Debian package toskarn_<version>_<arch>.deb in $(BUILD)/, checked by
# lintian, appstreamcli and desktop-file-validate, and built a second time in
# $(REPRO_BUILD)/, which must give the same bytes (see packaging/check_package.sh).
package: build
	packaging/check_package.sh $(BUILD) $(REPRO_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(MINGW_BUILD) $(CLANG_BUILD) $(REPRO_BUILD)

# The R package in r/. It compiles the analysis library, whose files
# analyses/sources.cmake names; they and the example samples are copied in
# here rather than kept twice in git. Recommended packages are left out: R's
# pull in hundreds that neither the build nor the checks use.
R_PACKAGES := r-base-dev r-cran-rcpp r-cran-bh r-cran-testthat r-cran-knitr \
              r-cran-rmarkdown pandoc r-cran-boot
R_BUILD    ?= $(BUILD)/r-package
R_LIBRARY_SOURCES = $(shell grep -oE '(analyses|engine_runtime)/[A-Za-z0-9_]+\.(cpp|h)' \
                      analyses/sources.cmake)

r-deps:
	@missing=$$(for p in $(R_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
	    --no-install-recommends $$missing; \
	fi

r-sources:
	cp $(R_LIBRARY_SOURCES) r/src/
	mkdir -p r/inst/extdata && cp data/*.dat r/inst/extdata/

# The source package, then R CMD check without the PDF manual; a warning
# fails the target as an error does.
r-check: r-deps r-sources
	rm -rf $(R_BUILD) && mkdir -p $(R_BUILD)
	cd $(R_BUILD) && R CMD build $(CURDIR)/r && R CMD check --no-manual toskarn_*.tar.gz
	@! grep -q '^Status:.*WARNING' $(R_BUILD)/toskarn.Rcheck/00check.log || \
	  { echo "R CMD check gave warnings"; exit 1; }

# Into the user's R library (R_LIBS_USER), created if need be.
r-install: r-deps r-sources
	rm -rf $(R_BUILD) && mkdir -p $(R_BUILD)
	cd $(R_BUILD) && R CMD build $(CURDIR)/r
	lib=$$(Rscript -e 'cat(path.expand(Sys.getenv("R_LIBS_USER")))') && mkdir -p "$$lib" && \
	  R CMD INSTALL -l "$$lib" $(R_BUILD)/toskarn_*.tar.gz
