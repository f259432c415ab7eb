#!/usr/bin/env bash
# Runs the include check over a made-up tree of two layers, a program and a test: clean, it must pass;
# with each fault of the table below added, it must fail and name the offending line.
set -uo pipefail
check=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_tree() {
  rm -rf "$work/tree" && mkdir -p "$work/tree" && cd "$work/tree" || exit 1
  mkdir -p low high tools/prog tests/unit/high package services
  echo 'fwu_library(low DEPS Qt6::Core)' >low/CMakeLists.txt
  printf 'fwu_library(high  # the upper layer\n  DEPS fwu_low\n       Qt6::Core)\n' >high/CMakeLists.txt
  echo '#pragma once' >low/Low.h
  echo '#include "low/Low.h"' >low/Low.cpp
  printf '#pragma once\n#include "low/Low.h"\n' >high/High.h
  printf '#include "high/High.h"\n#include <vector>\n#include "Local.h"\n' >high/High.cpp
  echo '#include "high/High.h"' >tools/prog/main.cpp
  echo '#pragma once' >tests/unit/high/Helper.h
  printf '#include "tests/unit/high/Helper.h"\n#include "high/High.h"\n' >tests/unit/high/HighTest.cpp
  # A folder of the Qt-free core, and the one Qt library beside the core's services.
  echo 'fwu_library(package DEPS fwu_low)' >package/CMakeLists.txt
  printf '#pragma once\n#include <vector>\n#include "low/Low.h"\n' >package/Pack.h
  printf 'fwu_library(services)\nfwu_library(singleinstance SOURCES SingleInstance.cpp DEPS Qt6::Network)\n' \
    >services/CMakeLists.txt
  printf '#include <QLocalServer>\n' >services/SingleInstance.cpp
  printf '#include <QString>\n' >>high/High.cpp  # above the core, Qt is fine
}

failures=0
make_tree
if ! out=$("$check" "$work/tree" 2>&1); then
  echo "FAIL: the clean tree is refused:"; echo "$out"; failures=$((failures + 1))
fi

# file | line added | what the report must contain
while IFS='|' read -r file line expected; do
  make_tree
  echo "$line" >>"$file"
  if out=$("$check" "$work/tree" 2>&1); then
    echo "FAIL: '$line' in $file passed"; failures=$((failures + 1))
  elif ! grep -qF -- "$expected" <<<"$out"; then
    echo "FAIL: '$line' in $file: report lacks '$expected':"; echo "$out"; failures=$((failures + 1))
  fi
done <<'CASES'
low/Low.cpp|#include "high/High.h"|low/Low.cpp:2: #include "high/High.h": from high/
low/Low.h|#include <high/High.h>|low/Low.h:2: #include <high/High.h>: from high/
high/High.cpp|#include "../low/Low.h"|climbs out of its folder
tools/prog/main.cpp|#include "tests/unit/high/Helper.h"|test code, which only tests include
high/High.cpp|#include "tests/unit/high/Helper.h"|from tests/unit/high/, which holds no library
package/Pack.h|#include <QByteArray>|package/Pack.h:4: #include <QByteArray>: a Qt header in package/
package/Pack.h|#include <QtCore/qendian.h>|#include <QtCore/qendian.h>: a Qt header in package/
package/Pack.h|#include "QFile"|#include "QFile": a Qt header in package/
services/Services.cpp|#include <QTimer>|a Qt header in services/
package/CMakeLists.txt|fwu_library(more DEPS Qt6::Core)|fwu_library(more ... DEPS Qt6::Core): the core links no Qt
CASES

# A layer may not use what a declared layer links in turn: drop high's declaration of low.
make_tree
echo 'fwu_library(high DEPS Qt6::Core)' >high/CMakeLists.txt
if "$check" "$work/tree" >/dev/null 2>&1; then
  echo "FAIL: high/ includes low/ without declaring it, and passed"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "check-includes self-test: all cases behave"
exit $((failures > 0))
