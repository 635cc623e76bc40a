#!/usr/bin/env bash
# Installs what the build needs, builds a Release tree and packs it as a Debian package; prints
# the package's path. The tree is build-package/, or KESTRUNE_PACKAGE_BUILD_DIR.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PACKAGE_BUILD_DIR=${KESTRUNE_PACKAGE_BUILD_DIR:-$ROOT/build-package}

# dpkg-shlibdeps works out the package's dependencies from the programs' libraries.
install_packages dpkg-dev
# -O2 as Debian builds its packages; GCC 12 at -O3 warns falsely (-Wrestrict) inside std::string.
as_user cmake -S "$ROOT" -B "$PACKAGE_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
as_user cmake --build "$PACKAGE_BUILD_DIR" -j"$(nproc)"
log=$(cd "$PACKAGE_BUILD_DIR" && as_user cpack -G DEB) || { echo "$log" >&2; exit 1; }
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$log"
