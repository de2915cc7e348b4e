#!/usr/bin/env bash
echo "test-windows: nothing yet"
