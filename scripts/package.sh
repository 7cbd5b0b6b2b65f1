#!/usr/bin/env bash
# Builds the Debian package korvina_<version>_<arch>.deb in the repository's top folder, from a
# Release build of the program alone in build-package/, made with Debian's hardening flags, and
# checks it with lintian (an error or warning fails the script). Install it with
#   sudo apt-get install ./korvina_<version>_<arch>.deb
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

"$root/scripts/install-deps.sh"

# The distribution's compiler and linker flags, every hardening feature on (fortify, stack
# protector, relro with immediate binding, PIE).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
      -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
cmake --build build-package -j"$(nproc)" --target korvina
(cd build-package && cpack -G DEB -B "$root/build-package/packages")

package=$(ls -t build-package/packages/korvina_*.deb | head -n 1)
cp "$package" "$root/"
echo "package: $(basename "$package")"
dpkg-deb --field "$root/$(basename "$package")" Package Version Architecture Depends Recommends Suggests
lintian --fail-on error,warning "$root/$(basename "$package")"
echo "lintian: no errors or warnings"
