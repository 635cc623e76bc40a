#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs the whole test suite. No display and no
# serial hardware needed: windows run offscreen, serial tests use socat pseudo-terminal pairs.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build -DKESTRUNE_WERROR=ON
cd "$BUILD_DIR"
as_user ctest --output-on-failure -j"$(nproc)" --timeout 300
