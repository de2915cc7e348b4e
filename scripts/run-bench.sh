#!/usr/bin/env bash
echo "run-bench: nothing yet"
