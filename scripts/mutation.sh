#!/usr/bin/env bash
# Mutation testing: ./scripts/mutation.sh [--layer LAYER]... [--sample N] [--seed S] [--list]
# Builds in build-mutation/ (a scratch worktree of HEAD), one planted fault at a time; see
# scripts/mutation.py --help. Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
exec python3 scripts/mutation.py "$@"
