#!/usr/bin/env bash
echo "run-fuzz: nothing yet"
