#!/bin/sh
# Builds boost_reference.cpp against the installed Boost.Math headers and
# writes boost_reference.csv beside it.
set -e
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
g++ -std=c++17 -O2 -o "$tmp/boost_reference" "$here/boost_reference.cpp"
{
  echo "family,function,p0,p1,p2,arg,expected"
  "$tmp/boost_reference"
} > "$here/boost_reference.csv"
rm -rf "$tmp"
